#pragma once
// Writes a new ZIP archive entry by entry to a seekable device, plain or with enciphered headers.
#include "ZipFormat.h"

#include <QVector>

class QIODevice;

class ZipWriter {
public:
    ZipWriter(QIODevice* out, bool encryptHeaders);

    struct Entry {
        QByteArray rawName;            // bytes as stored (GB 18030 for packages)
        QByteArray extra;              // the extra field block, in both headers, never enciphered
        bool utf8Name = false;         // sets the UTF-8 flag (OOXML part names)
        int deflateType = zip::dtDeflateN;  // -1 stores the data
        quint16 dosTime = 0;
        quint16 dosDate = 0x21;        // 1980-01-01
        quint16 internalAttributes = 0;
        quint32 externalAttributes = 0;
    };
    // progress gets the bytes of data consumed so far.
    bool add(const Entry& entry, const char* data, qint64 size, const std::function<void(qint64)>& progress = {});
    // Copies an entry as it stands in another archive, without inflating it again.
    bool addRaw(const zip::EntryInfo& entry, const class ZipReader& from, int index);
    bool finish();
    const QString& error() const { return m_error; }
    // After finish: the central directory and end record as written.
    const QByteArray& directory() const { return m_directory; }

private:
    QByteArray header(const zip::EntryInfo& e, bool central) const;
    bool fail(const QString& text);

    QIODevice* m_out;
    bool m_encrypt;
    QVector<zip::EntryInfo> m_written;
    QString m_error;
    QByteArray m_directory;
};
