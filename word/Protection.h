#pragma once
// Document protection passwords as WordprocessingML stores them: the word processor's legacy
// 32-bit key of the password, written as 8 hex digits (its bytes reversed) in UTF-16LE, hashed
// with the salt and then spun: hash := H(hash + 4-byte little-endian round number).
#include <QByteArray>
#include <QString>

// The legacy key as the 8 upper-case hex digits the hash is taken over; empty for "".
QString LegacyPasswordKey(const QString& password);

// sid: 4 SHA-1, 12 SHA-256, 13 SHA-384, 14 SHA-512. Results are remembered for the run, since
// 100000 rounds cost tens of milliseconds and the same document is opened again and again.
QByteArray ProtectionHash(const QString& password, const QByteArray& salt, int spinCount, int sid);
