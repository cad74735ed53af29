#include "../pdftext.h"
#include "auditsources.h"
#include "cli/clicommon.h"
#include "hostfixture.h"
#include "reportbuttons.h"
#include "studentcard.h"
#include "trypane.h"

#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "jsonschema.h"
#include "serverfixture.h"

#include <QPrinter>
#include <QPushButton>
#include <QtTest>

using namespace zr;
using namespace zr::test;
using zr::app::ReportButtons;

// Print report and Save as PDF on the student card and in the try pane, on the sample database.
// Student 84 of curriculum 11 lacks ECTS: he does not meet the degree requirements.
class TestReportButtons : public QObject
{
    Q_OBJECT
    ServerFixture m_server;
    QTemporaryDir m_dir;

    // The card of student 84, or the try pane on him with the stored degree set of curriculum 11.
    static std::unique_ptr<QWidget> screen(const QString &where)
    {
        const auto schema = std::make_shared<const server::JsonSchema>();
        if (where == QLatin1String("card"))
            return std::make_unique<app::StudentCard>(QString(), schema, 84);
        auto pane = std::make_unique<app::TryPane>(QString(), schema);
        pane->setObject(1, RecordScope{1, 1, 103, 0});
        const Recordset rows = app::SetRowsOf(app::cli::LoadTarget(QString(), {1, QStringLiteral("1"), 103, 11}), 1, 103, 11);
        pane->setSetSource([rows](const AuditCodes &codes) { return AuditSet::prepare(rows, 103, codes); });
        pane->setStudent(84);
        return pane;
    }

    static QString readBack(const QString &path)
    {
        QString error;
        const QString text = pdfText(path, &error).simplified();
        return error.isEmpty() ? text : error;
    }

private slots:
    void initTestCase()
    {
        useOwnSettings(QStringLiteral("tst_reportbuttons"));
        QVERIFY(m_server.reset(QStringLiteral("sqlite")));
    }

    // On the card Alt and the underlined letter save, in either language; the pane's button is clicked.
    void saveAsPdfWritesTheStudentsReport_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("key");
        QTest::newRow("card el") << "card" << LangGreek << int(Qt::Key_P);
        QTest::newRow("card en") << "card" << LangEnglish << int(Qt::Key_D);
        QTest::newRow("pane el") << "pane" << LangGreek << 0;
        QTest::newRow("pane en") << "pane" << LangEnglish << 0;
    }
    void saveAsPdfWritesTheStudentsReport()
    {
        QFETCH(QString, where);
        QFETCH(int, language);
        QFETCH(int, key);
        StringService::instance().setLanguageId(language);
        const auto widget = screen(where);
        auto *buttons = widget->findChild<ReportButtons *>();
        QVERIFY(buttons && buttons->isEnabled());
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".pdf"));
        QString offered;
        buttons->setFileChooser([&](QWidget *, const QString &suggested) {
            offered = suggested;
            return path;
        });
        if (key) {
            widget->show();
            QVERIFY(QTest::qWaitForWindowActive(widget.get()));
            QTest::keyClick(widget.get(), Qt::Key(key), Qt::AltModifier);
            // A mnemonic presses its button as a click does, a moment later.
            QTRY_VERIFY(!offered.isEmpty());
        } else {
            buttons->findChild<QPushButton *>(QStringLiteral("cmdSaveReportPdf"))->click();
        }
        const StudentRecord record =
            StudentRecord::fromRows(ServerObjectOf<cStudent>(QString())->LoadStudentRecord(84, RecordScope{1, 1, 103, 0}));
        QCOMPARE(QFileInfo(offered).fileName(), record.registration() + QStringLiteral(".pdf"));
        const QString text = readBack(path);
        for (const QString &part : {record.name(), record.registration(), VerdictText(SetVerdict::Unmet)})
            QVERIFY2(text.contains(part), qPrintable(part + QStringLiteral("\n---\n") + text));
    }

    // The print dialog sets the printer up (here: to a PDF file); cancelled, nothing is printed.
    void printGoesToThePrinterSetUp_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::newRow("printed") << true;
        QTest::newRow("cancelled") << false;
    }
    void printGoesToThePrinterSetUp()
    {
        QFETCH(bool, accepted);
        StringService::instance().setLanguageId(LangGreek);
        const auto card = screen(QStringLiteral("card"));
        auto *buttons = card->findChild<ReportButtons *>();
        const QString path = m_dir.filePath(QStringLiteral("printed-%1.pdf").arg(accepted));
        buttons->setPrintSetup([&](QPrinter *printer, QWidget *) {
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(path);
            return accepted;
        });
        QCOMPARE(buttons->print(), accepted);
        QCOMPARE(QFileInfo::exists(path), accepted);
        QVERIFY(!accepted || readBack(path).contains(VerdictText(SetVerdict::Unmet)));
    }
};

QTEST_MAIN(TestReportButtons)
#include "tst_reportbuttons.moc"
