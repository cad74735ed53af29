#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "reqtypes/typecatalog.h"
#include "serverfixture.h"
#include "servererrors.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using namespace zr;

// A student's degree requirements on the reference server: their
// descriptions in both languages, the individual regulation a first edit
// starts from, and the refusals.
class tst_StudentRegulation : public QObject
{
    Q_OBJECT
    zr::test::ServerFixture m_fixture;

    template<typename T>
    static std::unique_ptr<T> create(const QString &server)
    {
        auto object = CreateServerObjectAs<T>(QStringLiteral("zrQEMSvr"), server);
        if (!object)
            qFatal("no server object");
        return object;
    }
    void execSql(const QString &sql)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("direct"));
            db.setDatabaseName(m_fixture.databaseFile());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY2(q.exec(sql), qPrintable(q.lastError().text()));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("direct"));
    }
    static Recordset rowsOf(const Recordset &editSet)
    {
        Recordset parent = editSet.clone();
        parent.moveFirst();
        return parent.chapter(u"QEMObjectConstraint").clone();
    }

private Q_SLOTS:
    void cleanup()
    {
        StringService::instance().setLanguageId(LangGreek);
    }

    void describesInTheLanguageOfTheStrings_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("language");
        QTest::addColumn<QVariantList>("set");
        QTest::addColumn<int>("ocID");
        QTest::addColumn<QString>("fragment");
        const QVariantList degree{1, 103, 1, QStringLiteral("11")};
        struct Case
        {
            const char *name;
            QVariantList set;
            int ocID;
            QString greek;
            QString english;
        };
        const QList<Case> cases{
            {"course types, all", degree, 10, QStringLiteral("Όλοι: Μονάδες ECTS ≥ 300"),
             QStringLiteral("All: ECTS units ≥ 300")},
            {"projects", degree, 12, QStringLiteral(": Αριθμός εργασιών ≥ 1"), QStringLiteral(": Number of projects ≥ 1")},
            {"prerequisite course", {1, 102, 1, QStringLiteral("11")}, 5, QStringLiteral(", βαθμός ≥ 0,7"),
             QStringLiteral(", grade ≥ 0,7")},
            {"prerequisite course not passed", {4, 106, 1, QStringLiteral("119")}, 38, QStringLiteral(", κανένα περασμένο"),
             QStringLiteral(", none passed")},
            {"academic years", {1, 104, 1, QString()}, 26, QStringLiteral("ακαδ. έτος 2021-2023, ελάχιστη βαθμολογία 0,65"),
             QStringLiteral("academic year 2021-2023, minimum grade 0,65")},
            {"class group category", {4, 111, 1, QStringLiteral("30")}, 37, QStringLiteral(", μία από "),
             QStringLiteral(", one of ")},
        };
        for (const char *backend : {"sqlite", "postgresql"}) {
            for (const Case &c : cases) {
                QTest::newRow(qPrintable(QStringLiteral("%1 el %2").arg(QLatin1String(backend), QLatin1String(c.name))))
                    << QString::fromLatin1(backend) << LangGreek << c.set << c.ocID << c.greek;
                QTest::newRow(qPrintable(QStringLiteral("%1 en %2").arg(QLatin1String(backend), QLatin1String(c.name))))
                    << QString::fromLatin1(backend) << LangEnglish << c.set << c.ocID << c.english;
            }
        }
    }
    void describesInTheLanguageOfTheStrings()
    {
        QFETCH(int, language);
        QFETCH(QVariantList, set);
        QFETCH(int, ocID);
        QFETCH(QString, fragment);
        ZR_BACKEND_ROW();
        StringService::instance().setLanguageId(language);
        QVariant kind = set.at(0), context = set.at(1), object = set.at(2), curriculum = set.at(3);
        Recordset rows = create<cContraints>(server)->LoadConstraintsWithDescription(kind, context, object, curriculum);
        QVERIFY(rows.find(QStringLiteral("ocID = %1").arg(ocID), 0, Recordset::SearchForward, Recordset::StartFirst));
        const QString description = rows.value(u"condesc").toString();
        const QString typeName = GetTypeName(rows.value(u"conID"));
        QCOMPARE(rows.value(u"contype").toString(), typeName);
        QVERIFY2(description.startsWith(typeName + QStringLiteral(" - ")), qPrintable(description));
        QVERIFY2(description.contains(fragment), qPrintable(description));
    }

    void firstEditStartsFromTheProgrammes_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("student");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("copies");
        QTest::addColumn<bool>("expression");
        for (const char *backend : {"sqlite", "postgresql"}) {
            const auto row = [&](const char *name) {
                return &(QTest::newRow((QByteArray(backend) + ' ' + name).constData()) << QString::fromLatin1(backend));
            };
            *row("curriculum with an expression") << 6 << 7 << true << true;
            *row("curriculum without an expression") << 1 << 3 << true << false;
            *row("no curriculum yet") << 2 << 0 << true << false;
            *row("individual regulation already") << 7 << 3 << false << true;
        }
    }
    void firstEditStartsFromTheProgrammes()
    {
        QFETCH(int, student);
        QFETCH(int, count);
        QFETCH(bool, copies);
        QFETCH(bool, expression);
        ZR_BACKEND_ROW();
        auto students = create<cStudent>(server);
        Recordset editSet = students->LoadStudConstraints(QStringLiteral("t"), student);
        Recordset rows = rowsOf(editSet);
        QCOMPARE(rows.recordCount(), count);
        QCOMPARE(rows.hasPendingChanges(), copies && count > 0);

        QStringList tokens;
        QSet<QString> expressions;
        for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
            QCOMPARE(rows.value(u"conobject").toInt(), 8);
            QCOMPARE(rows.value(u"contypeID").toInt(), 103);
            QCOMPARE(rows.value(u"objID").toInt(), student);
            QCOMPARE(rows.value(u"ocID").toInt() < 0, copies);
            tokens.append(QStringLiteral("[%") + rows.value(u"ocID").toString() + QLatin1Char(']'));
            expressions.insert(rows.value(u"coneval").toString());
        }
        if (count > 0) {
            QCOMPARE(expressions.size(), 1);
            const QString eval = *expressions.begin();
            QCOMPARE(!eval.isEmpty(), expression);
            for (const QString &token : std::as_const(tokens))
                QVERIFY2(!expression || eval.contains(token), qPrintable(eval));
        }
        if (!copies || count == 0)
            return;

        // Saved as they are, they become the student's regulation.
        students->SaveStudConstraints(QStringLiteral("t"), editSet);
        bool individual = false;
        const Recordset applied = create<cContraints>(server)->LoadStudPtyxConstraints(QStringLiteral("t"), student,
                                                                                       individual);
        QVERIFY(individual);
        QCOMPARE(applied.recordCount(), count);
        for (Recordset r = applied.clone(); !r.eof(); r.moveNext()) {
            QVERIFY(r.value(u"ocID").toInt() > 0);
            QVERIFY(!r.value(u"coneval").toString().contains(QStringLiteral("[%-")));
        }
        // The next edit starts from the saved regulation, not from new copies.
        QCOMPARE(rowsOf(students->LoadStudConstraints(QStringLiteral("t"), student)).hasPendingChanges(), false);
    }

    void refusesWithAClearMessage_data()
    {
        QTest::addColumn<int>("student");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("message");
        QTest::newRow("no programme") << 6
                                      << QStringLiteral("UPDATE QEMStudents SET progrspoud_ID = 999 WHERE student_ID = 6")
                                      << 61551;
        QTest::newRow("no such student") << 999999 << QString() << 61552;
    }
    void refusesWithAClearMessage()
    {
        QFETCH(int, student);
        QFETCH(QString, setup);
        QFETCH(int, message);
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        if (!setup.isEmpty())
            execSql(setup);
        const QString expected = ReplaceParams(GetLangString(message), {QString::number(student)});
        bool individual = true;
        try {
            create<cContraints>(QString())->LoadStudPtyxConstraints(QStringLiteral("t"), student, individual);
            QFAIL("the requirements were loaded");
        } catch (const ZrError &error) {
            QCOMPARE(error.number, int(zr::server::ErrNotFound));
            QCOMPARE(error.description, expected);
        }
        QVERIFY(individual);
    }

    void failedSaveStoresNothing()
    {
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        auto students = create<cStudent>(QString());
        Recordset editSet = students->LoadStudConstraints(QStringLiteral("t"), 6);
        QCOMPARE(rowsOf(editSet).recordCount(), 7);
        execSql(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON QEMStudRegulation "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY_THROWS_EXCEPTION(ZrError, students->SaveStudConstraints(QStringLiteral("t"), editSet));
        execSql(QStringLiteral("DROP TRIGGER refuse"));

        Recordset rows = rowsOf(editSet);
        QVERIFY(rows.hasPendingChanges());
        rows.moveFirst();
        QVERIFY(rows.value(u"ocID").toInt() < 0);
        QVariant kind = 8, context = 103, student = 6, curriculum = QString();
        QCOMPARE(create<cContraints>(QString())->LoadConstraintsWithDescription(kind, context, student, curriculum)
                     .recordCount(),
                 0);
    }
};

QTEST_GUILESS_MAIN(tst_StudentRegulation)
#include "tst_studentregulation.moc"
