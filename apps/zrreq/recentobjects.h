#pragma once

#include "objecttree.h"

#include <QList>
#include <QObject>

class QMenu;
class QSettings;

namespace zr::app {

/// The objects whose requirements were opened last, newest first, kept in
/// the application's settings and offered in a menu of their own.
class RecentObjects : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxEntries = 8;

    /// Fills `menu` from the settings; the menu belongs to the caller.
    RecentObjects(QMenu *menu, QObject *parent = nullptr);

    /// Moves `object` to the top of the list (adding it when new).
    void add(const ObjectRef &object);
    QList<ObjectRef> entries() const { return m_entries; }

Q_SIGNALS:
    void objectChosen(const zr::app::ObjectRef &object);

private:
    void load();
    void save() const;
    void rebuildMenu();

    QMenu *m_menu;
    QList<ObjectRef> m_entries;
};

} // namespace zr::app
