#include "common/langstrings.h"
#include "../datafile.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using namespace zr;

class tst_LangStrings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void replacesPlaceholders_data() { zr::test::addDataRows(QFINDTESTDATA("data/langstrings-replaces-placeholders.tsv")); }
    void replacesPlaceholders()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, values);
        QFETCH(QString, expected);
        QCOMPARE(ReplaceParams(text, values), expected);
    }

    void readsMnemonics_data() { zr::test::addDataRows(QFINDTESTDATA("data/langstrings-reads-mnemonics.tsv")); }
    void readsMnemonics()
    {
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QFETCH(QString, shortcut);
        QCOMPARE(StripMnemonic(caption), text);
        QCOMPARE(MnemonicShortcut(caption), shortcut);
    }

    void languageFollowsTheService()
    {
        StringService::instance().setLanguageId(0);
        InitLanguage(0);
        QCOMPARE(CurrentLanguage(), LangGreek);
        QCOMPARE(StringService::instance().languageId(), LangGreek);
        QCOMPARE(GetLangString(20295), StringTableText(20295, LangGreek));

        // A service that already speaks English keeps it, whatever was asked before.
        StringService::instance().setLanguageId(LangEnglish);
        QCOMPARE(GetLangString(20295), StringTableText(20295, LangEnglish));
        QCOMPARE(CurrentLanguage(), LangEnglish);
        InitLanguage(LangGreek);
        QCOMPARE(CurrentLanguage(), LangEnglish);
        StringService::instance().setLanguageId(LangGreek);
    }

    void lookupIsByLibraryAndKey()
    {
        StringService::instance().setLanguageId(LangGreek);
        QCOMPARE(GetLangString(20296, QString(), QString()), StringTableText(20296, LangGreek));
        QCOMPARE(StringService::instance().lookup(QStringLiteral("zrRequirement"), QStringLiteral("x20092")),
                 StringTableText(20092, LangGreek));
        QVERIFY(StringService::instance().lookup(QStringLiteral("other"), QStringLiteral("x20092")).isEmpty());
        QVERIFY(StringService::instance().lookup(QStringLiteral("zrRequirement"), QStringLiteral("20092")).isEmpty());
        QVERIFY(GetLangString(99999, QStringLiteral("default is not used")).isEmpty());
    }

    void everyTableEntryHasBothTexts()
    {
        const QList<qint32> ids = StringTableIds();
        QVERIFY(ids.size() > 0);
        for (qint32 id : ids) {
            QVERIFY2(!StringTableText(id, LangGreek).isEmpty(), qPrintable(QString::number(id)));
            QVERIFY2(!StringTableText(id, LangEnglish).isEmpty(), qPrintable(QString::number(id)));
        }
    }

    // Ids appear in code as GetLangString(N ...), MakeError(N ...), LangText(N) or as
    // `Str... = N` enumerators; every one of them must be in the table in both languages.
    void everyIdUsedInCodeExists()
    {
        const QRegularExpression callPattern(
            QStringLiteral(R"(\b(?:GetLangString|MakeError|LangText|raiseMessage|showMessage)\s*\(\s*(\d{5})\b)"));
        const QRegularExpression enumPattern(QStringLiteral(R"(\bStr\w*\s*=\s*(\d{5})\b)"));
        QSet<qint32> used;
        for (const char *folder : {"src", "server", "apps"}) {
            QDirIterator it(QStringLiteral(ZR_SOURCE_DIR "/") + QLatin1String(folder),
                            {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile file(it.next());
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QString text = QString::fromUtf8(file.readAll());
                for (const auto &pattern : {callPattern, enumPattern}) {
                    auto matches = pattern.globalMatch(text);
                    while (matches.hasNext())
                        used.insert(matches.next().captured(1).toInt());
                }
            }
        }
        QVERIFY(used.contains(20092)); // the scan itself must find the message box's ids
        QStringList missing;
        for (qint32 id : std::as_const(used)) {
            if (StringTableText(id, LangGreek).isEmpty() || StringTableText(id, LangEnglish).isEmpty())
                missing << QString::number(id);
        }
        missing.sort();
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("missing ids: ") + missing.join(QLatin1Char(' '))));
    }
};

QTEST_GUILESS_MAIN(tst_LangStrings)
#include "tst_langstrings.moc"
