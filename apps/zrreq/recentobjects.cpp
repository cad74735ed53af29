#include "recentobjects.h"

#include <QMenu>
#include <QSettings>

namespace zr::app {

namespace {
const QString Key = QStringLiteral("recentObjects");

bool sameObject(const ObjectRef &a, const ObjectRef &b)
{
    return a.kind == b.kind && a.id == b.id && a.curriculum == b.curriculum;
}
} // namespace

RecentObjects::RecentObjects(QMenu *menu, QObject *parent) : QObject(parent), m_menu(menu)
{
    load();
    rebuildMenu();
}

void RecentObjects::add(const ObjectRef &object)
{
    if (!object.isValid())
        return;
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [&object](const ObjectRef &entry) { return sameObject(entry, object); }),
                    m_entries.end());
    m_entries.prepend(object);
    while (m_entries.size() > MaxEntries)
        m_entries.removeLast();
    save();
    rebuildMenu();
}

void RecentObjects::load()
{
    QSettings settings;
    const int count = settings.beginReadArray(Key);
    for (int i = 0; i < count && m_entries.size() < MaxEntries; ++i) {
        settings.setArrayIndex(i);
        ObjectRef object;
        object.kind = settings.value(QStringLiteral("kind")).toInt();
        object.id = settings.value(QStringLiteral("id"));
        object.curriculum = settings.value(QStringLiteral("curriculum")).toInt();
        object.title = settings.value(QStringLiteral("title")).toString();
        object.department = settings.value(QStringLiteral("department")).toString();
        // Settings edited by hand may hold anything: keep only usable entries.
        if (object.isValid() && !object.id.toString().isEmpty())
            m_entries << object;
    }
    settings.endArray();
}

void RecentObjects::save() const
{
    QSettings settings;
    settings.remove(Key);
    settings.beginWriteArray(Key, int(m_entries.size()));
    for (int i = 0; i < m_entries.size(); ++i) {
        const ObjectRef &object = m_entries.at(i);
        settings.setArrayIndex(i);
        settings.setValue(QStringLiteral("kind"), object.kind);
        settings.setValue(QStringLiteral("id"), object.id);
        settings.setValue(QStringLiteral("curriculum"), object.curriculum);
        settings.setValue(QStringLiteral("title"), object.title);
        settings.setValue(QStringLiteral("department"), object.department);
    }
    settings.endArray();
}

void RecentObjects::rebuildMenu()
{
    m_menu->clear();
    int number = 1;
    for (const ObjectRef &object : m_entries) {
        const QString text = QStringLiteral("&%1 %2").arg(number++).arg(QString(object.title).replace(
                                                                            QLatin1Char('&'), QStringLiteral("&&")));
        QAction *action = m_menu->addAction(text);
        connect(action, &QAction::triggered, this, [this, object] { Q_EMIT objectChosen(object); });
    }
    m_menu->setEnabled(!m_entries.isEmpty());
}

} // namespace zr::app
