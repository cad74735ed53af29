#include "itempanel/itempanelmodel.h"
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
    void decodesAndReencodesSemesterLimits_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("greater");
        QTest::addColumn<QString>("less");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("empty") << 30 << QVariant(QString()) << "" << "" << "";
        QTest::newRow("null") << 100 << QVariant() << "" << "" << "";
        QTest::newRow("first only") << 30 << QVariant("6") << "6" << "" << "6";
        QTest::newRow("both") << 100 << QVariant("6;10") << "6" << "10" << "6;10";
        QTest::newRow("second only") << 30 << QVariant(";10") << "" << "10" << ";10";
        QTest::newRow("empty second part") << 30 << QVariant("6;") << "6" << "" << "6";
        QTest::newRow("two separators") << 30 << QVariant(";;") << "" << "" << "";
        QTest::newRow("third part ignored") << 100 << QVariant("1;2;3") << "1" << "2" << "1;2";
        QTest::newRow("blanks around") << 30 << QVariant(" 7 ; 8 ") << "7" << "8" << "7;8";
        QTest::newRow("stored as a number") << 30 << QVariant(4) << "4" << "" << "4";
    }
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
    void checksAndEncodesEditedLimits_data()
    {
        QTest::addColumn<QString>("greater");
        QTest::addColumn<QString>("less");
        QTest::addColumn<int>("message");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("cleared first, second set") << "" << "10" << 0 << ";10";
        QTest::newRow("both") << "3" << "9" << 0 << "3;9";
        QTest::newRow("zero passes") << "0" << "" << 0 << "0";
        QTest::newRow("decimal comma truncated") << "6,7" << "" << 0 << "6";
        QTest::newRow("decimal point truncated") << "" << "2.9" << 0 << ";2";
        QTest::newRow("first not a number") << "x" << "4" << 20553 << "";
        QTest::newRow("second negative") << "4" << "-1" << 20554 << "";
        QTest::newRow("both bad: first wins") << "-2" << "y" << 20553 << "";
        QTest::newRow("grouped thousands refused") << "1.000,5" << "" << 20553 << "";
    }
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
    void decodesFlags_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("encoded");
        // Positions: use_coeff, apal_count, max_grade, use_units, use_calcgrade.
        QTest::newRow("empty") << 80 << QVariant(QString()) << "....." << "0";
        QTest::newRow("null") << 90 << QVariant() << "....." << "0";
        QTest::newRow("use_coeff disables max_grade") << 80 << QVariant("1") << "X.,.." << "1";
        QTest::newRow("max_grade disables use_coeff") << 80 << QVariant("4") << ",.X.." << "4";
        QTest::newRow("apal_count and use_units") << 80 << QVariant("10") << ".X.X." << "10";
        QTest::newRow("both exclusive bits") << 80 << QVariant("5") << ",.,.." << "0";
        QTest::newRow("all bits") << 90 << QVariant("31") << ",X,XX" << "26";
        QTest::newRow("stored as a number") << 80 << QVariant(18) << ".X..X" << "18";
        QTest::newRow("unknown bits dropped") << 80 << QVariant("34") << ".X..." << "2";
        QTest::newRow("letters") << 80 << QVariant("abc") << "....." << "0";
        QTest::newRow("negative") << 90 << QVariant("-3") << "....." << "0";
        QTest::newRow("semester form") << 80 << QVariant("6;10") << "....." << "0";
    }
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
    void interlocksUseCoeffAndMaxGrade_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("accepted");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("check max_grade") << "" << QStringList{"+max_grade"} << "y" << ",.X.." << "4";
        QTest::newRow("check then uncheck max_grade")
            << "" << QStringList{"+max_grade", "-max_grade"} << "yy" << "....." << "0";
        QTest::newRow("check use_coeff") << "2" << QStringList{"+use_coeff"} << "y" << "XX,.." << "3";
        QTest::newRow("uncheck use_coeff enables max_grade, unchecked")
            << "1" << QStringList{"-use_coeff"} << "y" << "....." << "0";
        QTest::newRow("switch from use_coeff to max_grade")
            << "1" << QStringList{"+max_grade", "-use_coeff", "+max_grade"} << "nyy" << ",.X.." << "4";
        QTest::newRow("disabled use_coeff refuses") << "4" << QStringList{"+use_coeff"} << "n" << ",.X.." << "4";
        QTest::newRow("both disabled refuse") << "5" << QStringList{"+max_grade", "+use_coeff"} << "nn" << ",.,.." << "0";
        QTest::newRow("other boxes leave the pair alone")
            << "1" << QStringList{"+apal_count", "+use_units", "+use_calcgrade"} << "yyy" << "XX,XX" << "27";
        QTest::newRow("other box unchecked leaves the pair alone")
            << "6" << QStringList{"-apal_count"} << "y" << ",.X.." << "4";
    }
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
    void dialogShowsDecodedOptions_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("state");
        QTest::newRow("limits empty") << 30 << QVariant("") << "|";
        QTest::newRow("limits first only") << 100 << QVariant("6") << "6|";
        QTest::newRow("limits bad input, shown as stored") << 30 << QVariant("-3;x") << "-3|x";
        QTest::newRow("flags empty") << 80 << QVariant() << "0|0|0|0|0";
        QTest::newRow("flags use_coeff") << 90 << QVariant("3") << "1|1|0!|0|0";
        QTest::newRow("flags max_grade") << 80 << QVariant("12") << "0!|0|1|1|0";
        QTest::newRow("flags both exclusive") << 80 << QVariant("21") << "0!|0|0!|0|1";
        QTest::newRow("other type") << 130 << QVariant("31") << "";
    }
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
    void dialogReturnsEncodedOptions_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QString>("close");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<QString>("value");
        QTest::newRow("max_grade refused while use_coeff")
            << 90 << "1" << QStringList{"max_grade=1"} << "ok" << false << "1";
        QTest::newRow("checking use_coeff clears max_grade")
            << 90 << "" << QStringList{"max_grade=1", "max_grade=0", "use_coeff=1"} << "ok" << false << "1";
        QTest::newRow("apal_count and use_units") << 80 << "" << QStringList{"apal_count=1", "use_units=1"} << "ok"
                                                  << false << "10";
        QTest::newRow("flags cancel") << 90 << "8" << QStringList{"apal_count=1"} << "cancel" << true << "8";
        QTest::newRow("flags escape") << 80 << "2" << QStringList{"apal_count=0"} << "escape" << true << "2";
        QTest::newRow("flags close box") << 80 << "2" << QStringList{"use_units=1"} << "close" << true << "2";
        QTest::newRow("limits unchanged") << 100 << "6;10" << QStringList{} << "ok" << false << "6;10";
        QTest::newRow("limits: clear first, set second")
            << 30 << "6" << QStringList{"excludePtyxStudents=", "excludeStudents=10"} << "ok" << false << ";10";
        QTest::newRow("limits escape") << 100 << "6;10" << QStringList{"excludeStudents=2"} << "escape" << true
                                       << "6;10";
        QTest::newRow("other type") << 40 << "6;10" << QStringList{} << "ok" << false << "";
        // Values set from code follow the interlock as clicks do: the disabled box stays clear.
        QTest::newRow("code sets both: the first holds")
            << 80 << "" << QStringList{"@use_coeff=1", "@max_grade=1"} << "ok" << false << "1";
        QTest::newRow("code unchecks then checks")
            << 90 << "1" << QStringList{"@use_coeff=0", "@max_grade=1"} << "ok" << false << "4";
    }
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
    void dialogShowsFailedCheckAndStaysOpen_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("message");
        QTest::addColumn<QStringList>("fix");
        QTest::addColumn<QString>("value");
        QTest::newRow("negative stored limit") << 30 << "-3;x" << QStringList{} << 20553
                                               << QStringList{"excludePtyxStudents=4", "excludeStudents="} << "4";
        // What cannot be read is shown and refused, never turned into "no limit".
        QTest::newRow("letters stored") << 30 << "abc" << QStringList{} << 20553
                                        << QStringList{"excludePtyxStudents="} << "";
        QTest::newRow("letters stored as the second limit") << 100 << "5;abc" << QStringList{} << 20554
                                                            << QStringList{"excludeStudents=6"} << "5;6";
        QTest::newRow("second limit") << 100 << "2" << QStringList{"excludeStudents=-5"} << 20554
                                      << QStringList{"excludeStudents=5"} << "2;5";
        QTest::newRow("both limits bad: the first is named") << 30 << "" << QStringList{"excludeStudents=-1", "excludePtyxStudents=-2"}
                                                         << 20553 << QStringList{"excludePtyxStudents=", "excludeStudents=3"} << ";3";
    }
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
    void unreadableStoredOptionsAreNamed_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("named");
        QTest::newRow("flags") << 90 << "abc" << "abc";
        QTest::newRow("flags with a fraction") << 80 << "2,5" << "2,5";
        QTest::newRow("semester limit") << 30 << "6;x" << "x";
        QTest::newRow("readable") << 30 << "6;10" << "";
        QTest::newRow("empty") << 80 << "" << "";
    }
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

    // A second call on the same dialog starts from its own value, not from the last one.
    void dialogCanBeShownAgain()
    {
        frmCustSettings dialog;
        QFont font(QStringLiteral("DejaVu Serif"), 13);
        dialog.setFrmFont(font);
        QCOMPARE(dialog.frmFont().family(), font.family());
        QCOMPARE(dialog.findChild<QPushButton *>("cmdOK")->font().pointSizeF(), 13.0);
        QString firstState;
        QString secondState;
        QTimer::singleShot(0, this, [&] {
            firstState = listState(panelModel(&dialog));
            panelModel(&dialog)->editValue("apal_count", 1);
            dialog.accept();
        });
        QVariant value = QStringLiteral("16");
        bool cancelled = true;
        dialog.CustomSettings(80, value, cancelled);
        QCOMPARE(value.toString(), QStringLiteral("18"));
        QTimer::singleShot(0, this, [&] {
            secondState = listState(panelModel(&dialog));
            dialog.accept();
        });
        value = QStringLiteral("6;7");
        dialog.CustomSettings(30, value, cancelled);
        QCOMPARE(firstState, QStringLiteral("0|0|0|0|1"));
        QCOMPARE(secondState, QStringLiteral("6|7"));
        QCOMPARE(value.toString(), QStringLiteral("6;7"));
        QVERIFY(!cancelled);
        QCOMPARE(panelModel(&dialog)->itemCount(), 0);
    }

    // Switching the language while the dialog is open re-reads every caption.
    void dialogFollowsLanguageSwitch()
    {
        QStringList english;
        runDialog(90, QStringLiteral("8"), [&](frmCustSettings *dialog) {
            SwitchLanguage(LangEnglish);
            const ItemPanelModel *model = panelModel(dialog);
            english << dialog->windowTitle() << dialog->findChild<QPushButton *>("cmdCancel")->text()
                    << dialog->findChild<TilePanel *>("smSettings")->caption() << model->caption("use_units")
                    << listState(model);
            SwitchLanguage(LangGreek);
        });
        QCOMPARE(english, QStringList({"Parameters", "Cancel", "Requirement parameters",
                                       StringTableText(10004, LangEnglish), "0|0|0|1|0"}));
        QCOMPARE(GetLangString(20092), QStringLiteral("Άκυρο"));
    }

    void describesOptions_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        const QString gt = QStringLiteral("Εξαιρούνται οι φοιτητές με τρέχον εξάμηνο φοίτησης μεγαλύτερο από : ");
        const QString lt = QStringLiteral("Εξαιρούνται οι φοιτητές με τρέχον εξάμηνο φοίτησης μικρότερο από : ");
        QTest::newRow("empty") << 30 << "" << "";
        QTest::newRow("first only") << 30 << "6" << gt + "6";
        QTest::newRow("both") << 100 << "6;10" << gt + "6\r\n" + lt + "10";
        QTest::newRow("second only") << 30 << ";3" << lt + "3";
        QTest::newRow("empty second part") << 30 << "5;" << gt + "5\r\n" + lt;
        QTest::newRow("other type") << 40 << "6;10" << "";
        const QString flags = QStringLiteral(
            "Μέσος όρος μαθημάτων με συντελεστές βαρύτητας = %1, "
            "Oι απαλλαγές δεν υπολογίζονται στα σύνολα μαθημάτων = %2, "
            "Υπολογισμός μέγιστου μέσου όρου = %3, "
            "Υπολογισμός επίδοσης συνόλων τύπων μαθημάτων με ΔΜ = %4, "
            "Λαμβάνονται υπόψη και τα μαθήματα που δεν υπολογίζονται στο βαθμό πτυχίου = %5");
        const QString y = QStringLiteral("Ναι"), n = QStringLiteral("Όχι");
        QTest::newRow("flags 5") << 80 << "5" << ReplaceParams(flags, {y, n, y, n, n});
        QTest::newRow("flags 26") << 90 << "26" << ReplaceParams(flags, {n, y, n, y, y});
        QTest::newRow("flags empty") << 80 << "" << ReplaceParams(flags, {n, n, n, n, n});
        QTest::newRow("flags negative") << 90 << "-1" << ReplaceParams(flags, {n, n, n, n, n});
    }
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
