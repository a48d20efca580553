#pragma once
// DOS date and time as ZIP headers and file details keep them: local time, 2-second steps.
#include <QDateTime>

struct DosDateTime {
    quint16 time = 0;
    quint16 date = 0;
};

// Years before 1980 clamp to 1980-01-01 00:00, after 2107 to the last representable moment.
DosDateTime ToDosDateTime(const QDateTime& when);
QDateTime FromDosDateTime(DosDateTime dos);
