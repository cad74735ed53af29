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

qint32 ChooseStudent(QWidget *window, const QString &serverName, const Schema *schema, const QString &baseFilter)
{
    SelectRsOptions options;
    options.schema = schema;
    options.tableName = QStringLiteral("v_students");
    options.layoutName = QStringLiteral("selectStudents");
    options.idField = QStringLiteral("student_ID");
    options.displayField = QStringLiteral("spec_aem");
    options.multiSelect = false;
    options.requestName = QStringLiteral("students");
    options.title = GetLangString(StrChooseStudent);
    options.searchOnOpen = true;
    options.baseFilter = baseFilter;
    options.owner = window;
    frmSelFromList dialog(window);
    QObject::connect(&dialog, &frmSelFromList::DataRequest, &dialog,
                     [serverName](const QString &, const QString &filter, Recordset &result) {
                         result = ServerObjectOf<cStudent>(serverName)->LoadStudents(filter);
                     });
    QObject::connect(&dialog, &frmSelFromList::ListSourceRequest, &dialog,
                     [serverName](bool &cancel, const QString &source, Recordset &result, bool isQuery) {
                         if (isQuery) {
                             cancel = true;
                             return;
                         }
                         try {
                             result = ServerObjectOf<cDepartment>(serverName)->getTextList(source, QString());
                         } catch (ZrError &error) {
                             TrapError(error);
                             cancel = true;
                         }
                     });
    const SelectRsResult chosen = dialog.Select_Rs(options);
    if (chosen.cancelled || chosen.keysText.isEmpty())
        return 0;
    bool ok = false;
    const qint32 studentId = chosen.keysText.section(options.keySeparator, 0, 0).toInt(&ok);
    return ok ? studentId : 0;
}

void StudentSearch::search()
{
    try {
        if (const qint32 studentId = ChooseStudent(m_window, m_serverName, m_schema.get()))
            openCard(studentId);
    } catch (ZrError &error) {
        TrapError(error);
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
