#include "zrdesignerplugin.h"

#include "common/startup.h"
#include "preview/zrreqpreview.h"
#include "requirements/zrrequirements.h"

#include <QIcon>

namespace zr::designer {

ControlEntry::ControlEntry(const QString &className, const QString &header, const QString &toolTip,
                           const QSize &size, Factory factory, QObject *parent)
    : QObject(parent), m_className(className), m_header(header), m_toolTip(toolTip), m_size(size),
      m_factory(std::move(factory))
{
}

QString ControlEntry::name() const
{
    return m_className;
}

QString ControlEntry::group() const
{
    return QStringLiteral("Degree-audit requirements");
}

QString ControlEntry::toolTip() const
{
    return m_toolTip;
}

QString ControlEntry::whatsThis() const
{
    return m_toolTip;
}

QString ControlEntry::includeFile() const
{
    return m_header;
}

QIcon ControlEntry::icon() const
{
    return QIcon();
}

bool ControlEntry::isContainer() const
{
    return false;
}

QWidget *ControlEntry::createWidget(QWidget *parent)
{
    return m_factory(parent);
}

bool ControlEntry::isInitialized() const
{
    return m_initialized;
}

void ControlEntry::initialize(QDesignerFormEditorInterface *)
{
    m_initialized = true;
}

QString ControlEntry::domXml() const
{
    // The class name with its namespace, so that uic writes code that compiles.
    return QStringLiteral("<ui language=\"c++\">\n"
                          " <widget class=\"%1\" name=\"%2\">\n"
                          "  <property name=\"geometry\"><rect><x>0</x><y>0</y><width>%3</width><height>%4</height>"
                          "</rect></property>\n"
                          " </widget>\n"
                          "</ui>\n")
        .arg(m_className, m_className.section(QLatin1String("::"), -1))
        .arg(m_size.width())
        .arg(m_size.height());
}

ControlCollection::ControlCollection(QObject *parent) : QObject(parent)
{
    // The controls read their captions from the string table, which start-up prepares.
    zr::Main();
    m_entries.append(new ControlEntry(
        QStringLiteral("zr::zrRequirements"), QStringLiteral("requirements/zrrequirements.h"),
        QStringLiteral("Requirements editor: the requirements of one object and context as parameter sheets"),
        QSize(480, 360), [](QWidget *p) { return new zr::zrRequirements(p); }, this));
    m_entries.append(new ControlEntry(
        QStringLiteral("zr::zrReqPreview"), QStringLiteral("preview/zrreqpreview.h"),
        QStringLiteral("Student requirements preview: one student's degree requirements, to edit or restore"),
        QSize(360, 240), [](QWidget *p) { return new zr::zrReqPreview(p); }, this));
}

QList<QDesignerCustomWidgetInterface *> ControlCollection::customWidgets() const
{
    return m_entries;
}

} // namespace zr::designer
