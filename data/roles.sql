-- Who may change what on a PostgreSQL database (SQLite has one user: its file's permissions decide).
-- Three roles, named with the prefix init-db was given ({prefix}, zrreq_ unless told):
--   {prefix}reader  reads everything: sets, their history, students' records (audits, --impact);
--   {prefix}editor  a reader who changes the requirements, exceptions, individual regulations and
--                   history of the departments zr_editor_department names for him;
--   {prefix}admin   changes everything, imports data, grants and revokes roles.
-- The database enforces it: table privileges, and row-level security on the tables an editor writes,
-- keyed by the department of the object a row belongs to. The tables' owner is bound by none of it.
-- Run by init-db and upgrade-db, so every statement may run again. {schema} is the tables' schema.

-- Roles belong to the cluster: another database may have made them already, and then a user who
-- may not create roles can still give this database's tables to them.
DO $$
BEGIN
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '{prefix}reader') THEN
        CREATE ROLE {prefix}reader NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '{prefix}editor') THEN
        CREATE ROLE {prefix}editor NOLOGIN IN ROLE {prefix}reader;
    END IF;
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '{prefix}admin') THEN
        CREATE ROLE {prefix}admin NOLOGIN IN ROLE {prefix}editor;
    END IF;
END $$;

-- The departments whose sets each editor may change; written through zr_grant and zr_revoke.
CREATE TABLE IF NOT EXISTS zr_editor_department (
    username        VARCHAR(100) NOT NULL,
    depID           VARCHAR(10)  NOT NULL,
    PRIMARY KEY (username, depID)
);

GRANT USAGE ON SCHEMA {schema} TO {prefix}reader;
GRANT SELECT ON ALL TABLES IN SCHEMA {schema} TO {prefix}reader;
-- No TRUNCATE: it would pass by the row-level security.
GRANT INSERT, UPDATE, DELETE ON QEMObjectConstraint, QEMExcludedStudents, QEMStudRegulation,
    QEMSetVersion, QEMSetHistory, QEMSetHistoryRow TO {prefix}editor;
GRANT ALL ON ALL TABLES IN SCHEMA {schema} TO {prefix}admin;
REVOKE ALL ON zr_editor_department FROM {prefix}admin;
GRANT SELECT ON zr_editor_department TO {prefix}reader;

CREATE OR REPLACE FUNCTION zr_role_prefix() RETURNS VARCHAR LANGUAGE sql IMMUTABLE AS $$ SELECT '{prefix}'::VARCHAR $$;

-- The department an object belongs to: programmes (kinds 1, 3, 4, 11), students (8), departments
-- (13, by their id) and courses (14); NULL for an object that is not there.
CREATE OR REPLACE FUNCTION zr_object_department(kind INTEGER, object BIGINT) RETURNS VARCHAR
LANGUAGE sql STABLE AS $$
    SELECT CASE
        WHEN kind IN (1, 3, 4, 11) THEN (SELECT prdepID FROM QEMDepPrograms WHERE prID = object)
        WHEN kind = 8 THEN (SELECT department_ID FROM QEMStudents WHERE student_ID = object)
        WHEN kind = 13 THEN (SELECT depID FROM QEMDepartments WHERE depID = object::VARCHAR)
        WHEN kind = 14 THEN (SELECT depID FROM QEMCourses WHERE courseID = object)
    END
$$;

-- The department of a stored set by its key: "K/O/C/S" or "exceptions/K/O/C/X".
CREATE OR REPLACE FUNCTION zr_set_department(setkey VARCHAR) RETURNS VARCHAR
LANGUAGE sql STABLE AS $$
    SELECT CASE WHEN p[1] ~ '^[0-9]{1,9}$' AND p[2] ~ '^-?[0-9]{1,18}$'
                THEN zr_object_department(p[1]::INTEGER, p[2]::BIGINT) END
    FROM (SELECT string_to_array(regexp_replace(setkey, '^exceptions/', ''), '/') AS p) k
$$;

-- Whether the session's user (the one who logged in, as the history records him) may change the
-- sets of `department`. Superusers are members of every role. Run as the owner, so that a user
-- of no role is answered too.
CREATE OR REPLACE FUNCTION zr_may_edit(department VARCHAR) RETURNS BOOLEAN
LANGUAGE sql STABLE SECURITY DEFINER SET search_path = {schema}, pg_temp AS $$
    SELECT pg_has_role(session_user, '{prefix}admin', 'USAGE')
        OR (pg_has_role(session_user, '{prefix}editor', 'USAGE')
            AND EXISTS (SELECT 1 FROM zr_editor_department g
                        WHERE g.username = session_user AND g.depID = department))
$$;

CREATE OR REPLACE FUNCTION zr_is_admin() RETURNS BOOLEAN
LANGUAGE sql STABLE AS $$ SELECT pg_has_role(session_user, '{prefix}admin', 'USAGE') $$;

DO $$
DECLARE
    t RECORD;
BEGIN
    FOR t IN SELECT * FROM (VALUES
            ('qemobjectconstraint', 'zr_object_department(conobject, objID)'),
            ('qemexcludedstudents', 'zr_object_department(conobject, objID)'),
            ('qemstudregulation', 'zr_object_department(8, student_ID)'),
            ('qemsetversion', 'zr_set_department(setkey)'),
            ('qemsethistory', 'zr_set_department(setkey)'),
            ('qemsethistoryrow', 'zr_set_department(setkey)')) AS v(name, department) LOOP
        EXECUTE format('ALTER TABLE %I ENABLE ROW LEVEL SECURITY', t.name);
        EXECUTE format('DROP POLICY IF EXISTS zr_read ON %I', t.name);
        EXECUTE format('DROP POLICY IF EXISTS zr_add ON %I', t.name);
        EXECUTE format('DROP POLICY IF EXISTS zr_change ON %I', t.name);
        EXECUTE format('DROP POLICY IF EXISTS zr_remove ON %I', t.name);
        EXECUTE format('CREATE POLICY zr_read ON %I FOR SELECT USING (true)', t.name);
        EXECUTE format('CREATE POLICY zr_add ON %I FOR INSERT WITH CHECK (zr_may_edit(%s))', t.name, t.department);
        EXECUTE format('CREATE POLICY zr_change ON %I FOR UPDATE USING (zr_may_edit(%s)) WITH CHECK (zr_may_edit(%s))',
                       t.name, t.department, t.department);
        EXECUTE format('CREATE POLICY zr_remove ON %I FOR DELETE USING (zr_may_edit(%s))', t.name, t.department);
    END LOOP;
END $$;

-- Granting and revoking run as the tables' owner, who may grant the roles, after the database has
-- made sure the caller is an administrator: a client that skips its own check is refused here.
CREATE OR REPLACE FUNCTION zr_grant(grantee VARCHAR, role VARCHAR, departments VARCHAR[]) RETURNS VOID
LANGUAGE plpgsql SECURITY DEFINER SET search_path = {schema}, pg_temp AS $$
BEGIN
    IF NOT pg_has_role(session_user, '{prefix}admin', 'USAGE') THEN
        RAISE EXCEPTION 'only an administrator may grant roles' USING ERRCODE = '42501';
    END IF;
    IF role NOT IN ('reader', 'editor', 'admin') THEN
        RAISE EXCEPTION 'no role %', role USING ERRCODE = '22023';
    END IF;
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = grantee) THEN
        RAISE EXCEPTION 'no database user %', grantee USING ERRCODE = '42704';
    END IF;
    IF EXISTS (SELECT 1 FROM unnest(departments) d WHERE d NOT IN (SELECT depID FROM QEMDepartments)) THEN
        RAISE EXCEPTION 'no such department' USING ERRCODE = '23503';
    END IF;
    EXECUTE format('GRANT %I TO %I', '{prefix}' || role, grantee);
    INSERT INTO zr_editor_department (username, depID)
        SELECT grantee, d FROM unnest(departments) d ON CONFLICT DO NOTHING;
END $$;

-- Without departments every role of the user goes; with them, only his right to change those.
CREATE OR REPLACE FUNCTION zr_revoke(grantee VARCHAR, departments VARCHAR[]) RETURNS VOID
LANGUAGE plpgsql SECURITY DEFINER SET search_path = {schema}, pg_temp AS $$
BEGIN
    IF NOT pg_has_role(session_user, '{prefix}admin', 'USAGE') THEN
        RAISE EXCEPTION 'only an administrator may revoke roles' USING ERRCODE = '42501';
    END IF;
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = grantee) THEN
        RAISE EXCEPTION 'no database user %', grantee USING ERRCODE = '42704';
    END IF;
    IF cardinality(departments) > 0 THEN
        DELETE FROM zr_editor_department WHERE username = grantee AND depID = ANY (departments);
        RETURN;
    END IF;
    DELETE FROM zr_editor_department WHERE username = grantee;
    EXECUTE format('REVOKE %I, %I, %I FROM %I', '{prefix}admin', '{prefix}editor', '{prefix}reader', grantee);
END $$;
REVOKE ALL ON FUNCTION zr_grant(VARCHAR, VARCHAR, VARCHAR[]), zr_revoke(VARCHAR, VARCHAR[]) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION zr_grant(VARCHAR, VARCHAR, VARCHAR[]), zr_revoke(VARCHAR, VARCHAR[]) TO {prefix}reader;
