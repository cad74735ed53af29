#pragma once

#include <QTreeWidget>

namespace zr::app {

/// What the user chose in the object tree: an object kind and its id, with
/// the curriculum when a programme's curriculum was chosen.
struct ObjectRef
{
    int kind = 0;
    QVariant id;
    int curriculum = 0;
    QString title;
    QString department; ///< the department of a department, course or programme
    bool isValid() const { return kind != 0 && id.isValid(); }
};

/// The objects whose requirements can be edited: programmes with their
/// curricula, departments and their courses, read from the server.
class ObjectTree : public QTreeWidget
{
    Q_OBJECT
public:
    explicit ObjectTree(QWidget *parent = nullptr);

    /// Reads the objects from `serverName`; throws ZrError when the server fails.
    void load(const QString &serverName);
    ObjectRef current() const;
    /// Makes the item of `object` current (same kind, id and curriculum).
    void select(const ObjectRef &object);
    /// Re-reads the captions of the group rows.
    void retranslate();

Q_SIGNALS:
    void objectChosen(const zr::app::ObjectRef &object);

private:
    QTreeWidgetItem *m_programmes = nullptr;
    QTreeWidgetItem *m_departments = nullptr;
};

} // namespace zr::app

Q_DECLARE_METATYPE(zr::app::ObjectRef)
