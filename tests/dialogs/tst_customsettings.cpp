#include "itempanel/itempanelmodel.h"
#include "../datafile.h"
#include "common/languageswitch.h"
#include "common/langstrings.h"
#include "itempanel/tilepanel.h"
#include "common/zrerror.h"
#include "reqtypes/customoptions.h"
#include "dialogs/frmcustsettings.h"
#include "reqtypes/optionstext.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

#include <functional>

using namespace zr;

// The options of a requirement: decoding, the use_coeff/max_grade interlock,
// the checks on OK and the encoding, without a window and through the dialog.
class tst_CustomSettings : public QObject
{
    Q_OBJECT

    static QString flagsState(const CustomOptions &options)
    {
        // One letter per box in position order: X checked, . unchecked, lower case when disabled.
        QString state;
        for (const OptionEntry &entry : options.entries()) {
            QChar c = options.isChecked(entry.key) ? QLatin1Char('X') : QLatin1Char('.');
            if (!options.isEnabled(entry.key))
                c = c == QLatin1Char('X') ? QLatin1Char('x') : QLatin1Char(',');
            state += c;
        }
        return state;
    }


    struct Outcome
    {
        QVariant value;
        bool cancelled = false;
        QStringList messages; // "title: text" of every message box shown
    };

    // Runs CustomSettings; `act` drives the open dialog. A dialog that `act`
    // leaves open (a failed check inside it) is cancelled so the test cannot hang.
    Outcome runDialog(int type, const QVariant &stored, const std::function<void(frmCustSettings *)> &act)
    {
        frmCustSettings dialog;
        Outcome outcome;
        outcome.value = stored;
        QTimer::singleShot(0, this, [&] {
            auto *open = qobject_cast<frmCustSettings *>(QApplication::activeModalWidget());
            QVERIFY(open == &dialog);
            QAbstractItemModelTester tester(panelModel(open), QAbstractItemModelTester::FailureReportingMode::QtTest);
            act(open);
            if (open->isVisible())
                open->reject();
        });
        dialog.CustomSettings(type, outcome.value, outcome.cancelled);
        outcome.messages = m_messages;
        m_messages.clear();
        return outcome;
    }

    static ItemPanelModel *panelModel(QWidget *dialog)
    {
        auto *panel = dialog->findChild<TilePanel *>(QStringLiteral("smSettings"));
        return panel ? panel->model() : nullptr;
    }

    // Answers the next message box (after recording it) once it is up.
    void answerNextMessageBox()
    {
        QTimer::singleShot(0, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            m_messages << box->windowTitle() + QStringLiteral(": ") + box->text();
            box->buttons().first()->click();
        });
    }

    // Each entry's value, "!" after a disabled one: "1|0!|0|0|0".
    static QString listState(const ItemPanelModel *model)
    {
        QStringList state;
        for (const QString &key : model->keys())
            state << model->value(key).toString() + (model->isItemEnabled(key) ? "" : "!");
        return state.join('|');
    }

    QStringList m_messages;

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    // Stored semester limits: what the two fields show and what OK writes back unchanged.
    void decodesAndReencodesSemesterLimits_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-decodes-and-reencodes-semester-limits.tsv")); }
    void decodesAndReencodesSemesterLimits()
    {
        QFETCH(int, type);
        QFETCH(QVariant, stored);
        QFETCH(QString, greater);
        QFETCH(QString, less);
        QFETCH(QString, encoded);
        const CustomOptions options = CustomOptions::decode(type, stored);
        QCOMPARE(options.value("excludePtyxStudents").toString(), greater);
        QCOMPARE(options.value("excludeStudents").toString(), less);
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
        int raised = 0;
        try {
            options.check(QStringLiteral("frmCustSettings.cmdOK_Click"));
        } catch (const ZrError &e) {
            QCOMPARE(e.number, CustomOptions::CheckErrorNumber);
            QCOMPARE(e.source, QStringLiteral("frmCustSettings.cmdOK_Click"));
            raised = e.description == GetLangString(20553) ? 20553
                : e.description == GetLangString(20554)    ? 20554
                                                           : -1;
        }
        QCOMPARE(raised, message);
        if (!message)
            QCOMPARE(options.encode(), encoded);
    }

    // Flags: which boxes are checked and enabled after decoding, and the value OK writes.
    void decodesFlags_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-decodes-flags.tsv")); }
    void decodesFlags()
    {
        QFETCH(int, type);
        QFETCH(QVariant, stored);
        QFETCH(QString, state);
        QFETCH(QString, encoded);
        const CustomOptions options = CustomOptions::decode(type, stored);
        QCOMPARE(flagsState(options), state);
        options.check(QStringLiteral("test"));
        QCOMPARE(options.encode(), encoded);
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
        QCOMPARE(flagsState(options), state);
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

    // The list as the dialog opens it: captions, kinds, values and enabled states.
    void dialogShowsDecodedOptions_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-dialog-shows-decoded-options.tsv")); }
    void dialogShowsDecodedOptions()
    {
        QFETCH(int, type);
        QFETCH(QVariant, stored);
        QFETCH(QString, state);
        QString shown;
        QStringList captions;
        QList<int> styles;
        const Outcome outcome = runDialog(type, stored, [&](frmCustSettings *dialog) {
            QCOMPARE(dialog->windowTitle(), GetLangString(20551));
            QCOMPARE(dialog->findChild<QPushButton *>("cmdOK")->text(), GetLangString(20525));
            QCOMPARE(dialog->findChild<QPushButton *>("cmdCancel")->text(), GetLangString(20092));
            QCOMPARE(dialog->findChild<TilePanel *>("smSettings")->caption(), GetLangString(20552));
            const ItemPanelModel *model = panelModel(dialog);
            shown = listState(model);
            for (const QString &key : model->keys()) {
                captions << model->caption(key);
                styles << model->style(key);
            }
        });
        QVERIFY(outcome.cancelled);
        QCOMPARE(outcome.value, stored);
        QCOMPARE(shown, state);
        const QList<OptionEntry> entries = OptionEntriesOf(type);
        QCOMPARE(captions.size(), entries.size());
        for (int i = 0; i < entries.size(); ++i) {
            const QString caption = GetLangString(entries[i].captionId);
            QCOMPARE(captions[i], entries[i].isCheckBox ? caption : caption + QStringLiteral(": \t"));
            QCOMPARE(styles[i], entries[i].isCheckBox ? int(ItemStyle::CheckBox) : int(ItemStyle::Number));
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
            if (close == "ok")
                QTest::mouseClick(dialog->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
            else if (close == "cancel")
                QTest::mouseClick(dialog->findChild<QPushButton *>("cmdCancel"), Qt::LeftButton);
            else if (close == "escape")
                QTest::keyClick(dialog->findChild<QTreeView *>(), Qt::Key_Escape);
            else
                dialog->close();
            QVERIFY(!dialog->isVisible());
        });
        QVERIFY(outcome.messages.isEmpty());
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
            answerNextMessageBox();
            dialog->accept();
            stayedOpen = dialog->isVisible();
            for (const QString &edit : fix)
                model->setValue(edit.section('=', 0, 0), edit.section('=', 1));
            QTest::mouseClick(dialog->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        });
        QVERIFY(stayedOpen);
        QCOMPARE(outcome.messages, QStringList{GetLangString(20552) + ": " + GetLangString(message)});
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
        runDialog(type, stored, [&](frmCustSettings *dialog) {
            auto *label = dialog->findChild<QLabel *>(QStringLiteral("lblNote"));
            QVERIFY(label);
            note = label->isVisible() ? label->text() : QString();
        });
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
