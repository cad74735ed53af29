#include "objecttree.h"

#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "recordset/recordset.h"
#include "reqtypes/typecatalog.h"

#include <QHeaderView>
#include <QTreeWidgetItemIterator>

namespace zr::app {

namespace {
enum : qint32 { StrProgrammes = 60009, StrDepartments = 60010, StrCourses = 60011, StrObjects = 60012 };
constexpr int RefRole = Qt::UserRole + 1;

QTreeWidgetItem *addObject(QTreeWidgetItem *parent, const QString &text, const ObjectRef &ref)
{
    auto *item = new QTreeWidgetItem(parent, {text});
    item->setData(0, RefRole, QVariant::fromValue(ref));
    // Long titles are elided in a narrow tree.
    item->setToolTip(0, text);
    return item;
}
} // namespace

ObjectTree::ObjectTree(QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("objectTree"));
    setColumnCount(1);
    header()->hide();
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item && item->data(0, RefRole).isValid())
            Q_EMIT objectChosen(item->data(0, RefRole).value<ObjectRef>());
    });
}

void ObjectTree::select(const ObjectRef &object)
{
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        const QVariant data = (*it)->data(0, RefRole);
        if (!data.isValid())
            continue;
        const ObjectRef ref = data.value<ObjectRef>();
        if (ref.kind == object.kind && ref.id == object.id && ref.curriculum == object.curriculum) {
            setCurrentItem(*it);
            return;
        }
    }
}

void ObjectTree::load(const QString &serverName)
{
    clear();
    auto department = ServerObjectOf<cDepartment>(serverName);

    m_programmes = new QTreeWidgetItem(this);
    Recordset programmes = department->getTextList(QStringLiteral("QEMDepPrograms"), QString());
    Recordset curricula = department->getTextList(QStringLiteral("QEMDPOrientation"), QString());
    for (programmes.moveFirst(); !programmes.eof(); programmes.moveNext()) {
        const int prID = programmes.value(u"prID").toInt();
        const QString title = programmes.value(u"prtitle").toString();
        // The programme's department: its course lists (exceptions, course pickers) are that department's.
        const QString owner = programmes.value(u"prdepID").toString();
        QTreeWidgetItem *programme = addObject(m_programmes, title, {KindProgramme, prID, 0, title, owner});
        curricula.setFilter(QStringLiteral("prID=") + QString::number(prID));
        for (curricula.moveFirst(); !curricula.eof(); curricula.moveNext()) {
            const int orID = curricula.value(u"orID").toInt();
            const QString name = curricula.value(u"ordescription").toString();
            addObject(programme, name, {KindProgramme, prID, orID, title + QStringLiteral(" - ") + name, owner});
        }
    }

    m_departments = new QTreeWidgetItem(this);
    Recordset departments = department->getTextList(QStringLiteral("QEMDepartments"), QString());
    Recordset courses = department->getTextList(QStringLiteral("QEMCourses"), QString());
    for (departments.moveFirst(); !departments.eof(); departments.moveNext()) {
        const QString depID = departments.value(u"depID").toString();
        const QString name = departments.value(u"depname").toString();
        QTreeWidgetItem *dep = addObject(m_departments, name, {KindDepartment, depID, 0, name, depID});
        auto *courseGroup = new QTreeWidgetItem(dep, {GetLangString(StrCourses)});
        courses.setFilter(QStringLiteral("depID='") + QString(depID).replace(QLatin1Char('\''), QLatin1String("''"))
                          + QLatin1Char('\''));
        for (courses.moveFirst(); !courses.eof(); courses.moveNext()) {
            const QString text = QStringLiteral("[%1] %2").arg(courses.value(u"coursecode").toString(),
                                                               courses.value(u"title").toString());
            ObjectRef ref{KindDepartmentById, courses.value(u"courseID").toInt(), 0, text, depID};
            addObject(courseGroup, text, ref);
        }
    }
    retranslate();
    m_programmes->setExpanded(true);
    m_departments->setExpanded(true);
}

ObjectRef ObjectTree::current() const
{
    const QTreeWidgetItem *item = currentItem();
    return item ? item->data(0, RefRole).value<ObjectRef>() : ObjectRef();
}

void ObjectTree::retranslate()
{
    setAccessibleName(GetLangString(StrObjects));
    if (m_programmes)
        m_programmes->setText(0, GetLangString(StrProgrammes));
    if (m_departments)
        m_departments->setText(0, GetLangString(StrDepartments));
}

} // namespace zr::app
