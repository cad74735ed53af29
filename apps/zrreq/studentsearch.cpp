#include "studentsearch.h"

#include "studentcard.h"

#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/msgboxex.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "jsonschema.h"
#include "search/frmselfromlist.h"

#include <QAction>
#include <QEvent>
#include <QMenu>

namespace zr::app {

namespace {

enum : qint32 {
    StrStudents = 60100,
    StrChooseStudent = 60103,
};

} // namespace

StudentSearch::StudentSearch(QMenu *menu, const QString &serverName, QWidget *window)
    : QObject(window)
    , m_serverName(serverName)
    , m_window(window)
    , m_schema(std::make_shared<const server::JsonSchema>())
{
    m_action = menu->addAction(QString(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this, &StudentSearch::search);
    m_action->setObjectName(QStringLiteral("actStudents"));
    window->installEventFilter(this);
    retranslate();
}

StudentSearch::~StudentSearch() = default;

void StudentSearch::retranslate()
{
    m_action->setText(GetLangString(StrStudents));
}

bool StudentSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::LanguageChange)
        retranslate();
    return QObject::eventFilter(watched, event);
}

void StudentSearch::search()
{
    try {
        SelectRsOptions options;
        options.schema = m_schema.get();
        options.tableName = QStringLiteral("v_students");
        options.layoutName = QStringLiteral("selectStudents");
        options.idField = QStringLiteral("student_ID");
        options.displayField = QStringLiteral("spec_aem");
        options.multiSelect = false;
        options.requestName = QStringLiteral("students");
        options.title = GetLangString(StrChooseStudent);
        options.searchOnOpen = true;
        options.owner = m_window;
        frmSelFromList dialog(m_window);
        connect(&dialog, &frmSelFromList::DataRequest, this,
                [this](const QString &, const QString &filter, Recordset &result) {
                    result = ServerObjectOf<cStudent>(m_serverName)->LoadStudents(filter);
                });
        connect(&dialog, &frmSelFromList::ListSourceRequest, this,
                [this](bool &cancel, const QString &source, Recordset &result, bool isQuery) {
                    if (isQuery) {
                        cancel = true;
                        return;
                    }
                    try {
                        result = ServerObjectOf<cDepartment>(m_serverName)->getTextList(source, QString());
                    } catch (const ZrError &error) {
                        RecordError(error);
                        cancel = true;
                    }
                });
        const SelectRsResult chosen = dialog.Select_Rs(options);
        if (chosen.cancelled || chosen.keysText.isEmpty())
            return;
        bool ok = false;
        const qint32 studentId = chosen.keysText.section(options.keySeparator, 0, 0).toInt(&ok);
        if (ok)
            openCard(studentId);
    } catch (const ZrError &error) {
        RecordError(error);
        ShowErrorMessage(error.description, m_window);
    }
}

StudentCard *StudentSearch::openCard(qint32 studentId)
{
    for (StudentCard *card : m_window->findChildren<StudentCard *>()) {
        if (card->studentId() == studentId) {
            card->reload();
            card->show();
            card->raise();
            card->activateWindow();
            return card;
        }
    }
    auto *card = new StudentCard(m_serverName, m_schema, studentId, m_window);
    card->show();
    return card;
}

} // namespace zr::app
