#pragma once
// Integer tags on controls and windows, kept in a dynamic property.
#include <QObject>
#include <QVariant>

inline int Tag(const QObject* object)
{
    return object ? object->property("tag").toInt() : 0;
}

inline void SetTag(QObject* object, int tag)
{
    object->setProperty("tag", tag);
}
