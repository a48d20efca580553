#pragma once
// Reads ZIP archives, plain or with enciphered headers, from a file or from memory.
// Every offset and size is checked against the data before use; a damaged archive yields an
// error text, never a read outside the data.
#include "ZipFormat.h"

#include <QVector>
#include <memory>
#include <optional>

class QFile;

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
    // compressed bytes consumed so far. False with an error text on any fault.
    using Sink = std::function<bool(const char* data, qint64 size)>;
    bool read(int index, const Sink& sink, const std::function<void(qint64)>& progress, QString* error) const;
    std::optional<QByteArray> readAll(int index, QString* error) const;
    std::optional<QByteArray> readAll(const QString& name, QString* error) const;
    // Every byte from the central directory's start to the end: what lists the entries.
    QByteArray directoryBytes() const;
    // The stored (compressed) bytes of an entry, valid while the reader lives.
    const char* rawData(int index) const;

private:
    ZipReader() = default;
    bool loadFile(QString* error);
    bool parse(QString* error);

    std::unique_ptr<QFile> m_file;
    QByteArray m_data;
    const unsigned char* m_bytes = nullptr;
    qint64 m_size = 0;
    qint64 m_directoryOffset = 0;
    QVector<zip::EntryInfo> m_entries;
};
