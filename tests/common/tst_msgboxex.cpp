#include "common/langstrings.h"
#include "common/msgboxex.h"
#include "../datafile.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace zr;

class tst_MsgBoxEx : public QObject
{
    Q_OBJECT

    // Shows the box, reads its buttons once it is up, then clicks `clickIndex` (or presses Escape).
    int showAndAnswer(int style, const QString &captions, int clickIndex, QStringList *texts = nullptr,
                      QString *defaultText = nullptr, QMessageBox::Icon *icon = nullptr)
    {
        QTimer::singleShot(0, this, [=] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            QList<QPushButton *> buttons;
            for (QAbstractButton *b : box->buttons())
                buttons << qobject_cast<QPushButton *>(b);
            // Buttons in the order of their result numbers, so the test is independent of the layout.
            std::sort(buttons.begin(), buttons.end(), [](QPushButton *a, QPushButton *b) {
                return a->objectName().mid(6).toInt() < b->objectName().mid(6).toInt();
            });
            if (texts) {
                for (QPushButton *b : buttons)
                    *texts << b->text();
            }
            if (defaultText && box->defaultButton())
                *defaultText = box->defaultButton()->text();
            if (icon)
                *icon = box->icon();
            if (clickIndex < 0)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                buttons[clickIndex]->click();
        });
        int s = style;
        return MsgBoxEx(QStringLiteral("prompt"), s, QStringLiteral("title"), {}, 0, captions);
    }

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    // The style chooses the buttons, the default one and the icon; the caption list renames the buttons.
    void showsStyleAndCaptions_data() { zr::test::addDataRows(QFINDTESTDATA("data/msgboxex-shows-style-and-captions.tsv")); }
    void showsStyleAndCaptions()
    {
        QFETCH(int, style);
        QFETCH(QString, captions);
        QFETCH(QStringList, expected);
        QFETCH(QString, defaultButton);
        QFETCH(int, icon);
        if (captions == u"\\N")
            captions = QString();
        QStringList texts;
        QString shownDefault;
        QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
        showAndAnswer(style, captions, 0, &texts, &shownDefault, &shownIcon);
        QCOMPARE(texts, expected);
        QCOMPARE(shownDefault, defaultButton);
        QCOMPARE(int(shownIcon), icon);
    }

    // An error box is titled as the application is, in the user's language, never by the library's name.
    void errorsAreTitledInTheUsersLanguage()
    {
        for (const int language : {LangGreek, LangEnglish}) {
            StringService::instance().setLanguageId(language);
            QString title;
            QTimer::singleShot(0, this, [&title] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    title = box->windowTitle();
                    box->accept();
                }
            });
            ShowErrorMessage(QStringLiteral("something went wrong"));
            QCOMPARE(title, GetLangString(60000));
        }
        StringService::instance().setLanguageId(LangGreek);
    }

    void returnsResultOfClickedButton_data() { zr::test::addDataRows(QFINDTESTDATA("data/msgboxex-returns-result-of-clicked-button.tsv")); }
    void returnsResultOfClickedButton()
    {
        QFETCH(int, style);
        QFETCH(int, clickIndex);
        QFETCH(int, result);
        QCOMPARE(showAndAnswer(style, QString(), clickIndex), result);
    }
};

QTEST_MAIN(tst_MsgBoxEx)
#include "tst_msgboxex.moc"
