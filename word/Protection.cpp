#include "Protection.h"

#include <QCryptographicHash>
#include <QList>
#include <QMutex>
#include <QtEndian>

namespace {

// Where the high word starts, by password length (1 to 15).
constexpr quint16 InitialCode[15] = {0xE1F0, 0x1D0F, 0xCC9C, 0x84C0, 0x110C, 0x0E10, 0xF1CE, 0x313E,
                                     0x1872, 0xE139, 0xD40F, 0x84F9, 0x280C, 0xA96A, 0x4EC3};

// What each of the 7 low bits of a character folds into the high word, by position from the end.
constexpr quint16 KeyMatrix[15][7] = {
    {0xAEFC, 0x4DD9, 0x9BB2, 0x2745, 0x4E8A, 0x9D14, 0x2A09},
    {0x7B61, 0xF6C2, 0xFDA5, 0xEB6B, 0xC6F7, 0x9DCF, 0x2BBF},
    {0x4563, 0x8AC6, 0x05AD, 0x0B5A, 0x16B4, 0x2D68, 0x5AD0},
    {0x0375, 0x06EA, 0x0DD4, 0x1BA8, 0x3750, 0x6EA0, 0xDD40},
    {0xD849, 0xA0B3, 0x5147, 0xA28E, 0x553D, 0xAA7A, 0x44D5},
    {0x6F45, 0xDE8A, 0xAD35, 0x4A4B, 0x9496, 0x390D, 0x721A},
    {0xEB23, 0xC667, 0x9CEF, 0x29FF, 0x53FE, 0xA7FC, 0x5FD9},
    {0x47D3, 0x8FA6, 0x0F6D, 0x1EDA, 0x3DB4, 0x7B68, 0xF6D0},
    {0xB861, 0x60E3, 0xC1C6, 0x93AD, 0x377B, 0x6EF6, 0xDDEC},
    {0x45A0, 0x8B40, 0x06A1, 0x0D42, 0x1A84, 0x3508, 0x6A10},
    {0xAA51, 0x4483, 0x8906, 0x022D, 0x045A, 0x08B4, 0x1168},
    {0x76B4, 0xED68, 0xCAF1, 0x85C3, 0x1BA7, 0x374E, 0x6E9C},
    {0x3730, 0x6E60, 0xDCC0, 0xA9A1, 0x4363, 0x86C6, 0x1DAD},
    {0x3331, 0x6662, 0xCCC4, 0x89A9, 0x0373, 0x06E6, 0x0DCC},
    {0x1021, 0x2042, 0x4084, 0x8108, 0x1231, 0x2462, 0x48C4},
};

quint16 RotateInto(quint16 word, quint8 byte)
{
    return quint16((((word >> 14) & 1) | ((word << 1) & 0x7fff)) ^ byte);
}

QCryptographicHash::Algorithm AlgorithmFor(int sid)
{
    switch (sid) {
    case 4: return QCryptographicHash::Sha1;
    case 12: return QCryptographicHash::Sha256;
    case 13: return QCryptographicHash::Sha384;
    default: return QCryptographicHash::Sha512;
    }
}

} // namespace

quint32 LegacyPasswordHash(const QString& password)
{
    const QString used = password.left(15);
    if (used.isEmpty())
        return 0;
    QByteArray bytes;
    for (const QChar c : used)
        bytes.append(char((c.unicode() & 0xff) ? (c.unicode() & 0xff) : (c.unicode() >> 8)));
    const int n = int(bytes.size());

    quint16 high = InitialCode[n - 1];
    for (int i = 0; i < n; ++i)
        for (int bit = 0; bit < 7; ++bit)
            if (quint8(bytes[i]) & (1 << bit))
                high ^= KeyMatrix[15 - n + i][bit];

    quint16 low = 0;
    for (int i = n - 1; i >= 0; --i)
        low = RotateInto(low, quint8(bytes[i]));
    low = RotateInto(low, quint8(n)) ^ 0xCE4B;

    return (quint32(high) << 16) | low;
}

QString LegacyPasswordKey(const QString& password)
{
    if (password.isEmpty())
        return QString();
    const quint32 key = LegacyPasswordHash(password);
    QString hex;
    for (int i = 0; i < 4; ++i)
        hex += QString::asprintf("%02X", (key >> (8 * i)) & 0xff);
    return hex;
}

namespace {

constexpr int RememberedMost = 8;

struct Remembered {
    QByteArray key;
    QByteArray hash;
};
QList<Remembered>& Memory()
{
    static QList<Remembered> memory;
    return memory;
}
// The intake reads documents on several threads.
QMutex& MemoryLock()
{
    static QMutex lock;
    return lock;
}

QByteArray MemoryKey(const QString& password, const QByteArray& salt, int spinCount, int sid)
{
    QCryptographicHash digest(QCryptographicHash::Sha256);
    digest.addData(password.toUtf8());
    digest.addData(QByteArrayView("\0", 1));
    digest.addData(salt);
    digest.addData(QByteArray::number(spinCount) + ':' + QByteArray::number(sid));
    return digest.result();
}

void Remember(const QByteArray& key, const QByteArray& hash)
{
    const QMutexLocker locked(&MemoryLock());
    QList<Remembered>& memory = Memory();
    for (qsizetype i = 0; i < memory.size(); ++i)
        if (memory.at(i).key == key)
            memory.removeAt(i--);
    memory.prepend({key, hash});
    while (memory.size() > RememberedMost)
        memory.removeLast();
}

} // namespace

void RememberProtectionHash(const QString& password, const QByteArray& salt, int spinCount, int sid,
                            const QByteArray& hash)
{
    Remember(MemoryKey(password, salt, spinCount, sid), hash);
}

QByteArray ProtectionHash(const QString& password, const QByteArray& salt, int spinCount, int sid)
{
    const QByteArray cacheKey = MemoryKey(password, salt, spinCount, sid);
    {
        const QMutexLocker locked(&MemoryLock());
        for (const Remembered& entry : std::as_const(Memory()))
            if (entry.key == cacheKey)
                return entry.hash;
    }

    const QCryptographicHash::Algorithm algorithm = AlgorithmFor(sid);
    const QString key = LegacyPasswordKey(password);
    QByteArray utf16(reinterpret_cast<const char*>(key.utf16()), key.size() * 2);  // little-endian here
    QByteArray hash = QCryptographicHash::hash(salt + utf16, algorithm);
    QCryptographicHash round(algorithm);
    char counter[4];
    for (int i = 0; i < spinCount; ++i) {
        qToLittleEndian<quint32>(quint32(i), counter);
        round.reset();
        round.addData(hash);
        round.addData(QByteArrayView(counter, 4));
        hash = round.result();
    }
    Remember(cacheKey, hash);
    return hash;
}
