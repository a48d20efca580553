#include "DosTime.h"

DosDateTime ToDosDateTime(const QDateTime& when)
{
    const QDateTime local = when.toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    if (!local.isValid() || d.year() < 1980)
        return {0, quint16((0 << 9) | (1 << 5) | 1)};
    if (d.year() > 2107)
        return {quint16((23 << 11) | (59 << 5) | 29), quint16((127 << 9) | (12 << 5) | 31)};
    return {quint16((t.hour() << 11) | (t.minute() << 5) | (t.second() / 2)),
            quint16(((d.year() - 1980) << 9) | (d.month() << 5) | d.day())};
}

QDateTime FromDosDateTime(DosDateTime dos)
{
    const QDate date(1980 + (dos.date >> 9), (dos.date >> 5) & 15, dos.date & 31);
    const QTime time(dos.time >> 11, (dos.time >> 5) & 63, (dos.time & 31) * 2);
    return QDateTime(date, time);
}
