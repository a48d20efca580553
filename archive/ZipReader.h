#pragma once
// Reads ZIP archives, plain or with enciphered headers, from a file or from memory. From a file
// it reads with positioned reads only what is asked for: the central directory when opened, an
// entry's data when that entry is read; a file changed underneath cannot crash it. Every offset
// and size is checked against the data before use; a damaged archive yields an error text,
// never a read outside the data.
#include "ZipFormat.h"

#include <QVector>
#include <memory>
#include <optional>

class QIODevice;

class ZipReader {
public:
    static std::unique_ptr<ZipReader> openFile(const QString& path, QString* error);
    static std::unique_ptr<ZipReader> openData(const QByteArray& data, QString* error);
    // Reads an open file; the descriptor stays the caller's and must outlive the reader.
    static std::unique_ptr<ZipReader> openDescriptor(int fd, QString* error);
    ~ZipReader();

    const QVector<zip::EntryInfo>& entries() const { return m_entries; }
    int find(const QString& name) const;  // -1 when absent
    qint64 totalCompressed() const;

    // Inflates an entry into sink in pieces, checking its size and CRC-32. progress gets the
    // compressed bytes consumed so far. Not ok, with the error text, on any fault.
    using Sink = std::function<bool(const char* data, qint64 size)>;
    zip::Outcome read(int index, const Sink& sink, const std::function<void(qint64)>& progress = {}) const;
    std::optional<QByteArray> readAll(int index, QString* error) const;
    std::optional<QByteArray> readAll(const QString& name, QString* error) const;
    // Copies an entry's stored (compressed) bytes to out as they are. False on a short read or
    // a failed write.
    bool copyRaw(int index, QIODevice& out) const;
    // Every byte from the central directory's start to the end: what lists the entries.
    QByteArray directoryBytes() const { return m_directory; }

private:
    ZipReader() = default;
    bool parse(QString* error);
    bool readEntry(int index, const Sink& sink, const std::function<void(qint64)>& progress, QString* error) const;
    // Exactly length bytes at offset, or false.
    bool fetch(qint64 offset, qint64 length, char* to) const;
    bool fetchAll(qint64 offset, qint64 length, QByteArray& to) const;
    // The whole entry inflated into out, which holds its uncompressed size.
    bool inflateInto(const zip::EntryInfo& e, char* out, QString* error) const;

    QByteArray m_data;  // the archive, when it is in memory
    int m_fd = -1;      // the file, when it is read from one
    bool m_ownsFd = false;
    qint64 m_size = 0;
    QByteArray m_directory;  // the central directory and the end record
    QVector<zip::EntryInfo> m_entries;
};
