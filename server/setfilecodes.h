#pragma once

#include "requirements/readablesetfile.h"
#include "zrsvr_export.h"

#include <QHash>

#include <memory>

namespace zr::server {

class Database;

/// The codes of a readable set file as the database keeps them: each answer asked once.
class ZRSVR_EXPORT DatabaseSetFileCodes : public SetFileCodes
{
public:
    explicit DatabaseSetFileCodes(Database &db) : m_db(&db) {}
    /// Opens the database of `server` when a code is first asked for: a file that names
    /// things by id alone is read without one.
    explicit DatabaseSetFileCodes(const QString &server) : m_server(server) {}
    ~DatabaseSetFileCodes() override;

    QString codeOf(Table table, qint64 id, QString *department = nullptr) override;
    std::optional<qint64> idOf(Table table, const QString &code, const QString &scope) override;

private:
    struct Code
    {
        QString code;
        QString department;
    };
    Database &db();

    Database *m_db = nullptr;
    QString m_server;
    std::shared_ptr<Database> m_opened;
    QHash<QString, Code> m_codes;
    QHash<QString, std::optional<qint64>> m_ids;
};

} // namespace zr::server
