#include "textfold.h"

#include "database.h"
#include "servererrors.h"
#include "common/zrerror.h"

#include <QHash>
#include <QSqlDriver>

#include <array>
#include <string>
#include <sqlite3.h>

namespace zr::server {

namespace {

// The one character table both databases fold with: each character of
// `from` becomes the one at the same place in `to`.
struct FoldTable
{
    QString from;
    QString to;
    QHash<QChar, QChar> map;
    // The same table for the database's hot path, which folds UTF-8 as it
    // comes: ASCII and the Greek block (U+0370 to U+03FF) by code point.
    std::array<char16_t, 0x80> ascii{};
    std::array<char16_t, 0x90> greek{};

    void index()
    {
        Q_ASSERT(from.size() == to.size());
        for (qsizetype i = 0; i < from.size(); ++i)
            map.insert(from.at(i), to.at(i));
        for (char16_t c = 0; c < ascii.size(); ++c)
            ascii[c] = map.value(QChar(c), QChar(c)).unicode();
        for (char16_t c = 0; c < greek.size(); ++c)
            greek[c] = map.value(QChar(char16_t(0x370 + c)), QChar(char16_t(0x370 + c))).unicode();
    }
};

void appendUtf8(std::string &out, char16_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    }
}

const FoldTable &sortTable()
{
    static const FoldTable table = [] {
        FoldTable t;
        t.from = QStringLiteral("αβγδεζηθικλμνξοπρσςτυφχψω" "άέήίόύώϊϋΐΰ" "ΆΈΉΊΌΎΏΪΫ"
                                "abcdefghijklmnopqrstuvwxyz");
        t.to = QStringLiteral("ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΣΤΥΦΧΨΩ" "ΑΕΗΙΟΥΩΙΥΙΥ" "ΑΕΗΙΟΥΩΙΥ"
                              "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
        t.index();
        return t;
    }();
    return table;
}

const FoldTable &matchTable()
{
    static const FoldTable table = [] {
        FoldTable t = sortTable();
        // Latin look-alikes of Greek capitals, in either case, read as the Greek ones.
        const QString latin = QStringLiteral("ABEHIKMNOPTXYZ");
        const QString greek = QStringLiteral("ΑΒΕΗΙΚΜΝΟΡΤΧΥΖ");
        for (qsizetype i = 0; i < latin.size(); ++i) {
            t.to[t.from.indexOf(latin.at(i).toLower())] = greek.at(i);
            t.from += latin.at(i);
            t.to += greek.at(i);
        }
        t.map.clear();
        t.index();
        return t;
    }();
    return table;
}

QString fold(const QString &text, const FoldTable &table)
{
    QString out = text;
    for (QChar &c : out)
        c = table.map.value(c, c);
    return out;
}

void sqliteFold(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *table = static_cast<const FoldTable *>(sqlite3_user_data(context));
    const auto *in = sqlite3_value_text(argv[0]);
    const int size = sqlite3_value_bytes(argv[0]);
    std::string out;
    out.reserve(size_t(size) + 8);
    for (int i = 0; i < size; ++i) {
        const unsigned char c = in[i];
        if (c < 0x80) {
            appendUtf8(out, table->ascii[c]);
        } else if ((c & 0xE0) == 0xC0 && i + 1 < size) {
            const char16_t point = char16_t(((c & 0x1F) << 6) | (in[i + 1] & 0x3F));
            appendUtf8(out, point >= 0x370 && point < 0x400 ? table->greek[point - 0x370] : point);
            ++i;
        } else {
            out += char(c); // other scripts pass as they are
        }
    }
    sqlite3_result_text(context, out.data(), int(out.size()), SQLITE_TRANSIENT);
}

} // namespace

QString FoldForMatch(const QString &text)
{
    return fold(text, matchTable());
}

QString FoldForSort(const QString &text)
{
    return fold(text, sortTable());
}

QString FoldedSql(SqlDialect dialect, const QString &expression, QVariantList &values, bool forSort)
{
    if (dialect == SqlDialect::PostgreSQL) {
        const FoldTable &table = forSort ? sortTable() : matchTable();
        values << table.from << table.to;
        return QStringLiteral("translate(") + expression + QStringLiteral(", ?, ?)");
    }
    return (forSort ? QStringLiteral("zr_sortkey(") : QStringLiteral("zr_fold(")) + expression + QLatin1Char(')');
}

void InstallTextFold(Database &db)
{
    const QString source = QStringLiteral("zrQEMSvr.Database");
    if (db.dialect() != SqlDialect::SQLite)
        return;
    {
        const QVariant handle = db.connection().driver()->handle();
        sqlite3 *sqlite = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
            ? *static_cast<sqlite3 *const *>(handle.data()) : nullptr;
        const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
        if (!sqlite
            || sqlite3_create_function_v2(sqlite, "zr_fold", 1, flags, const_cast<FoldTable *>(&matchTable()),
                                          sqliteFold, nullptr, nullptr, nullptr) != SQLITE_OK
            || sqlite3_create_function_v2(sqlite, "zr_sortkey", 1, flags, const_cast<FoldTable *>(&sortTable()),
                                          sqliteFold, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw ZrError(ErrDatabase, source, QStringLiteral("The text comparison functions could not be defined."));
    }
}

} // namespace zr::server
