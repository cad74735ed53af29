#include "langstrings.h"

#include <QFile>
#include <QHash>

namespace zr {

namespace {

struct Entry
{
    QString greek;
    QString english;
};

QString unescape(const QByteArray &field)
{
    QByteArray out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size()) {
            const char c = field[++i];
            out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
        } else {
            out += field[i];
        }
    }
    return QString::fromUtf8(out);
}

// The table is read once per process and never changes afterwards.
const QHash<qint32, Entry> &table()
{
    static const QHash<qint32, Entry> entries = [] {
        QHash<qint32, Entry> map;
        QFile file(QStringLiteral(":/zrRequirement/strings.tsv"));
        if (!file.open(QIODevice::ReadOnly))
            return map;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray &raw : lines) {
            const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
            const QList<QByteArray> cols = line.split('\t');
            bool ok = false;
            const qint32 id = cols.value(0).toInt(&ok);
            if (!ok || cols.size() < 3)
                continue;
            map.insert(id, Entry{unescape(cols[1]), unescape(cols[2])});
        }
        return map;
    }();
    return entries;
}

thread_local int t_languageId = 0;
thread_local bool t_initialised = false;

} // namespace

StringService &StringService::instance()
{
    thread_local StringService service;
    return service;
}

bool StringService::isLoaded() const
{
    return !table().isEmpty();
}

void StringService::load()
{
    table();
}

QString StringService::lookup(const QString &library, const QString &key) const
{
    if (library != QLatin1String("zrRequirement") || !key.startsWith(QLatin1Char('x')))
        return {};
    bool ok = false;
    const qint32 id = QStringView(key).mid(1).toInt(&ok);
    return ok ? text(id) : QString();
}

QString StringService::text(qint32 id) const
{
    const auto it = table().constFind(id);
    if (it == table().constEnd())
        return {};
    return m_languageId == LangEnglish ? it->english : it->greek;
}

void InitLanguage(int languageId)
{
    if (languageId > 0)
        t_languageId = languageId;
    StringService &service = StringService::instance();
    if (service.languageId() != 0) {
        t_languageId = service.languageId();
    } else {
        if (t_languageId == 0)
            t_languageId = LangGreek;
        service.setLanguageId(t_languageId);
    }
    if (!service.isLoaded())
        service.load();
    t_initialised = true;
}

int CurrentLanguage()
{
    return t_languageId;
}

QString GetLangString(qint32 id, const QString &defaultText, const QString &library)
{
    Q_UNUSED(defaultText)
    InitLanguage(0);
    // The library's own ids skip building the "x" + id key: look-ups sit on hot paths.
    if (library.isEmpty() || library == QLatin1String("zrRequirement"))
        return StringService::instance().text(id);
    return StringService::instance().lookup(library, QLatin1Char('x') + QString::number(id));
}

QString ReplaceParams(const QString &text, const QStringList &values)
{
    QString result = text;
    for (int i = 0; i < values.size(); ++i)
        result.replace(QLatin1Char('%') + QString::number(i + 1), values[i]);
    return result;
}

QString StripMnemonic(const QString &caption)
{
    QString text;
    text.reserve(caption.size());
    for (int i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        text += caption[i];
    }
    return text;
}

QString MnemonicShortcut(const QString &caption)
{
    for (int i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&'))
            continue;
        if (caption[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return QStringLiteral("Alt+") + caption[i + 1].toUpper();
    }
    return {};
}

QList<qint32> StringTableIds()
{
    QList<qint32> ids = table().keys();
    std::sort(ids.begin(), ids.end());
    return ids;
}

QString StringTableText(qint32 id, int languageId)
{
    const auto it = table().constFind(id);
    if (it == table().constEnd())
        return {};
    return languageId == LangEnglish ? it->english : it->greek;
}

} // namespace zr
