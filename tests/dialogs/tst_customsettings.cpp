#include "itempanel/itempanelmodel.h"
#include "../datafile.h"
#include "dialogfixture.h"
#include "common/langstrings.h"
#include "itempanel/tilepanel.h"
#include "common/zrerror.h"
#include "reqtypes/customoptions.h"
#include "dialogs/frmcustsettings.h"
#include "reqtypes/optionstext.h"
#include "common/msgboxex.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

using namespace zr;

// The options of a requirement: decoding, the use_coeff/max_grade interlock,
// the checks on OK and the encoding, without a window and through the dialog.
class tst_CustomSettings : public QObject
{
    Q_OBJECT

    // Each entry in position order, joined by |: a check box X checked, . unchecked (x and ,
    // when disabled), a number field its text.
    static QString optionsState(const CustomOptions &options)
    {
        QStringList state;
        for (const OptionEntry &entry : options.entries()) {
            const bool on = options.isChecked(entry.key), enabled = options.isEnabled(entry.key);
            state << (!entry.isCheckBox ? options.value(entry.key).toString()
                      : on ? QString(enabled ? "X" : "x") : QString(enabled ? "." : ","));
        }
        return state.join(QLatin1Char('|'));
    }

    struct Outcome
    {
        QVariant value;
        bool cancelled = false;
    };

    // Runs CustomSettings with `act` driving the open dialog.
    Outcome runDialog(int type, const QVariant &stored, const std::function<void(frmCustSettings *)> &act)
    {
        frmCustSettings dialog;
        Outcome outcome{stored};
        zr::test::whenModal<frmCustSettings>(this, [&act](frmCustSettings *open) {
            QAbstractItemModelTester tester(panelModel(open), QAbstractItemModelTester::FailureReportingMode::QtTest);
            act(open);
        });
        dialog.CustomSettings(type, outcome.value, outcome.cancelled);
        return outcome;
    }

    static ItemPanelModel *panelModel(QWidget *dialog)
    {
        auto *panel = dialog->findChild<TilePanel *>(QStringLiteral("smSettings"));
        return panel ? panel->model() : nullptr;
    }

    QStringList m_messages; // texts of the message boxes shown
    QStringList m_titles;

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }
    void init()
    {
        m_messages.clear();
        m_titles.clear();
    }

    // Stored options: what decoding shows and what OK writes back.
    void decodesAndReencodes_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-decodes-and-reencodes.tsv")); }
    void decodesAndReencodes()
    {
        QFETCH(int, type);
        QFETCH(QVariant, stored);
        QFETCH(QString, state);
        QFETCH(QString, encoded);
        const CustomOptions options = CustomOptions::decode(type, stored);
        QCOMPARE(optionsState(options), state);
        options.check(QStringLiteral("test"));
        QCOMPARE(options.encode(), encoded);
    }

    // Edited fields: the first failing field names its message; whole numbers encode.
    void checksAndEncodesEditedLimits_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-checks-and-encodes-edited-limits.tsv")); }
    void checksAndEncodesEditedLimits()
    {
        QFETCH(QString, greater);
        QFETCH(QString, less);
        QFETCH(int, message);
        QFETCH(QString, encoded);
        CustomOptions options = CustomOptions::decode(100, QStringLiteral("6"));
        QVERIFY(options.setValue("excludePtyxStudents", greater));
        QVERIFY(options.setValue("excludeStudents", less));
        try {
            options.check(QStringLiteral("frmCustSettings.cmdOK_Click"));
            QCOMPARE(options.encode(), encoded);
            QCOMPARE(0, message);
        } catch (const ZrError &e) {
            QCOMPARE(e.number, CustomOptions::CheckErrorNumber);
            QCOMPARE(e.description, GetLangString(message));
        }
    }

    // A sequence of user clicks ("+key" checks, "-key" unchecks), which of them the
    // options accepted (a disabled box refuses), and the boxes after them.
    void interlocksUseCoeffAndMaxGrade_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-interlocks-use-coeff-and-max-grade.tsv")); }
    void interlocksUseCoeffAndMaxGrade()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, clicks);
        QFETCH(QString, accepted);
        QFETCH(QString, state);
        QFETCH(QString, encoded);
        CustomOptions options = CustomOptions::decode(90, stored);
        QString got;
        for (const QString &click : clicks)
            got += options.setValue(click.mid(1), click.startsWith(QLatin1Char('+')) ? 1 : 0) ? 'y' : 'n';
        QCOMPARE(got, accepted);
        QCOMPARE(optionsState(options), state);
        options.check(QStringLiteral("test"));
        QCOMPARE(options.encode(), encoded);
    }

    // Clicks can never check both; values set around the interlock are stopped on OK.
    // (Either flag alone passes the check: see the decoded-flags rows.)
    void refusesWeightedMaximumAverage()
    {
        CustomOptions options(80);
        QVERIFY(options.setValue("use_coeff", 1, CustomOptions::Interlock::Skip));
        QVERIFY(options.setValue("max_grade", 1, CustomOptions::Interlock::Skip));
        QVERIFY(options.isChecked("use_coeff") && options.isChecked("max_grade"));
        try {
            options.check(QStringLiteral("frmCustSettings.cmdOK_Click"));
            QFAIL("a weighted maximum average passed the check");
        } catch (const ZrError &e) {
            QCOMPARE(e.number, 10000);
            QCOMPARE(e.description, GetLangString(20555));
        }
    }

    // Edits made as the user makes them ("key=value", refused by a disabled entry),
    // then how the dialog is left, and what the caller gets back.
    void dialogReturnsEncodedOptions_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-dialog-returns-encoded-options.tsv")); }
    void dialogReturnsEncodedOptions()
    {
        QFETCH(int, type);
        QFETCH(QString, stored);
        QFETCH(QStringList, edits);
        QFETCH(QString, close);
        QFETCH(bool, cancelled);
        QFETCH(QString, value);
        const Outcome outcome = runDialog(type, stored, [&](frmCustSettings *dialog) {
            ItemPanelModel *model = panelModel(dialog);
            for (const QString &edit : edits) {
                QString key = edit.section('=', 0, 0);
                const QString text = edit.section('=', 1);
                if (key.startsWith('@')) {
                    key.remove(0, 1);
                    QVERIFY(model->setValue(key, text.toInt()));
                    continue;
                }
                QVERIFY(model->contains(key));
                if (model->kind(key) == ItemPanelModel::Kind::CheckBox)
                    model->setData(model->indexOf(key, ItemPanelModel::ValueColumn),
                                   text == "1" ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
                else
                    model->editValue(key, text);
            }
            zr::test::leaveDialog(dialog, close, dialog->findChild<QTreeView *>());
            QVERIFY(!dialog->isVisible());
        });
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(outcome.cancelled, cancelled);
        QCOMPARE(outcome.value.toString(), value);
    }

    // A failed check shows its message titled "Requirement parameters", keeps the
    // dialog open, and the corrected value goes through.
    void dialogShowsFailedCheckAndStaysOpen_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-dialog-shows-failed-check-and-stays-open.tsv")); }
    void dialogShowsFailedCheckAndStaysOpen()
    {
        QFETCH(int, type);
        QFETCH(QString, stored);
        QFETCH(QStringList, before);
        QFETCH(int, message);
        QFETCH(QStringList, fix);
        QFETCH(QString, value);
        bool stayedOpen = false;
        const Outcome outcome = runDialog(type, stored, [&](frmCustSettings *dialog) {
            ItemPanelModel *model = panelModel(dialog);
            for (const QString &edit : before)
                model->setValue(edit.section('=', 0, 0), edit.section('=', 1));
            zr::test::answerMessages(this, {IdOk}, &m_messages, &m_titles);
            dialog->accept();
            stayedOpen = dialog->isVisible();
            for (const QString &edit : fix)
                model->setValue(edit.section('=', 0, 0), edit.section('=', 1));
            QTest::mouseClick(dialog->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        });
        QVERIFY(stayedOpen);
        QCOMPARE(m_messages, QStringList{GetLangString(message)});
        QCOMPARE(m_titles, QStringList{GetLangString(20552)});
        QCOMPARE(LastError().number, 10000);
        QCOMPARE(LastError().description, GetLangString(message));
        QVERIFY(!outcome.cancelled);
        QCOMPARE(outcome.value.toString(), value);
    }

    // A stored value the dialog cannot read is named in it, not dropped unseen.
    void unreadableStoredOptionsAreNamed_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-unreadable-stored-options-are-named.tsv")); }
    void unreadableStoredOptionsAreNamed()
    {
        QFETCH(int, type);
        QFETCH(QString, stored);
        QFETCH(QString, named);
        QString note;
        runDialog(type, stored, [&](frmCustSettings *dialog) { note = zr::test::noteOf(dialog); });
        if (named.isEmpty())
            QCOMPARE(note, QString());
        else
            QVERIFY2(note.contains(QStringLiteral("«") + named + QStringLiteral("»")), qPrintable(note));
    }

    void describesOptions_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-describes-options.tsv")); }
    void describesOptions()
    {
        QFETCH(int, type);
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        QCOMPARE(OptionsText(type, stored), expected);
    }
};

QTEST_MAIN(tst_CustomSettings)
#include "tst_customsettings.moc"
