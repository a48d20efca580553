#pragma once
// Document protection passwords as WordprocessingML stores them: the word processor's legacy
// 32-bit key of the password, written as 8 hex digits (its bytes reversed) in UTF-16LE, hashed
// with the salt and then spun: hash := H(hash + 4-byte little-endian round number).
#include <QByteArray>
#include <QString>

// The word processor's legacy 32-bit key of a password (at most its first 15 characters count):
// what Word 97–2003 documents keep as the key of their protection. 0 for "".
quint32 LegacyPasswordHash(const QString& password);
// The legacy key as the 8 upper-case hex digits the hash is taken over; empty for "".
QString LegacyPasswordKey(const QString& password);

// sid: 4 SHA-1, 12 SHA-256, 13 SHA-384, 14 SHA-512. Results are remembered for the run, since
// 100000 rounds cost tens of milliseconds and the same document is opened again and again; the
// memory holds a digest of password and salt, never the password, and only a few entries.
QByteArray ProtectionHash(const QString& password, const QByteArray& salt, int spinCount, int sid);
// Tells the memory a hash known to belong to the password, salt and spin count (the blank
// template's, computed when the program was built), so the first opening need not spin.
void RememberProtectionHash(const QString& password, const QByteArray& salt, int spinCount, int sid,
                            const QByteArray& hash);
