#pragma once

#include "zrreq_export.h"

#include <QString>
#include <QStringList>

namespace zr {

constexpr int LangGreek = 1032;
constexpr int LangEnglish = 1033;

/// The string service of the calling thread: selects the language of every
/// look-up. A host switches the language by setting it here; the library
/// adopts the service's language at its next look-up.
class ZRREQ_EXPORT StringService
{
public:
    static StringService &instance();

    int languageId() const { return m_languageId; }
    void setLanguageId(int id) { m_languageId = id; }
    bool isLoaded() const;
    void load();
    /// The text of `key` ("x" + id) for `library`; empty when unknown.
    QString lookup(const QString &library, const QString &key) const;
    /// The text of string `id` of this library; empty when unknown.
    QString text(qint32 id) const;

private:
    int m_languageId = 0;
};

/// Selects the language (1032 Greek unless the service already has one).
ZRREQ_EXPORT void InitLanguage(int languageId);
/// The language in force for this thread's look-ups.
ZRREQ_EXPORT int CurrentLanguage();

/// The text of string `id` in the selected language. An id the table does
/// not hold gives an empty text; `defaultText` is not used for the look-up.
ZRREQ_EXPORT QString GetLangString(qint32 id, const QString &defaultText = {},
                                   const QString &library = {});

/// Replaces every "%1" by values[0], "%2" by values[1] and so on, in order.
/// Extra values or placeholders without a value are left alone.
ZRREQ_EXPORT QString ReplaceParams(const QString &text, const QStringList &values);

/// A caption without its keyboard mnemonic: "&Διαγραφή" gives "Διαγραφή";
/// "&&" stands for one "&".
ZRREQ_EXPORT QString StripMnemonic(const QString &caption);
/// The mnemonic of a caption as a shortcut text ("Alt+Δ"); empty when none.
ZRREQ_EXPORT QString MnemonicShortcut(const QString &caption);

/// Every id of the library's string table (for checks and tools).
ZRREQ_EXPORT QList<qint32> StringTableIds();
/// The text of `id` in a given language, without changing the selection.
ZRREQ_EXPORT QString StringTableText(qint32 id, int languageId);

} // namespace zr
