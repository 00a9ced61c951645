#pragma once

#include <QObject>
#include <QString>

// Every control of the program's dialogs keeps the number the dialog layout
// gives it, as the property "specId": tests and tools find a control by it the
// way a person finds a button, whatever its class or object name.
inline constexpr char SpecIdProperty[] = "specId";

template<typename T> T *withSpecId(T *object, int id, const QString &objectName = {})
{
    object->setProperty(SpecIdProperty, id);
    if (!objectName.isEmpty())
        object->setObjectName(objectName);
    return object;
}

// The child of parent of type T with the number id; null when there is none.
template<typename T> T *findBySpecId(const QObject *parent, int id)
{
    const auto children = parent->findChildren<T *>();
    for (T *child : children) {
        if (child->property(SpecIdProperty).toInt() == id)
            return child;
    }
    return nullptr;
}
