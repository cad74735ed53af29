#pragma once

#include <QMetaProperty>
#include <QObject>
#include <QVariant>

namespace zr {

/// Held by a property's setter: emits the property's notify signal (one without arguments) when
/// the setter changed what the property reads, so that no setter forgets it or sends it for a
/// value that stayed.
class NotifyOnChange
{
public:
    NotifyOnChange(QObject *object, const char *property)
        : m_object(object),
          m_property(object->metaObject()->property(object->metaObject()->indexOfProperty(property))),
          m_before(m_property.read(object))
    {
    }
    ~NotifyOnChange()
    {
        if (m_property.read(m_object) != m_before)
            m_property.notifySignal().invoke(m_object, Qt::DirectConnection);
    }
    NotifyOnChange(const NotifyOnChange &) = delete;
    NotifyOnChange &operator=(const NotifyOnChange &) = delete;

private:
    QObject *m_object;
    QMetaProperty m_property;
    QVariant m_before;
};

} // namespace zr
