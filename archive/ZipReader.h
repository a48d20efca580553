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
    // A reader, or none and why.
    struct Opened {
        std::unique_ptr<ZipReader> reader;
        zip::Outcome outcome;
    };
    static Opened openFile(const QString& path);
    static Opened openData(const QByteArray& data);
    // Reads an open file; the descriptor stays the caller's and must outlive the reader.
    static Opened openDescriptor(int fd);
    ~ZipReader();

    const QVector<zip::EntryInfo>& entries() const { return m_entries; }
    int find(const QString& name) const;  // -1 when absent
    qint64 totalCompressed() const;

    // Inflates an entry into sink in pieces, checking its size and CRC-32. progress gets the
    // compressed bytes consumed so far. Not ok, with the error text, on any fault.
    using Sink = std::function<bool(const char* data, qint64 size)>;
    zip::Outcome read(int index, const Sink& sink, const std::function<void(qint64)>& progress = {}) const;
    // An entry inflated whole: its bytes when the outcome is ok.
    struct Contents {
        QByteArray bytes;
        zip::Outcome outcome;
        bool ok() const { return outcome.ok; }
    };
    Contents readAll(int index) const;
    Contents readAll(const QString& name) const;
    // Copies an entry's stored (compressed) bytes to out as they are. False on a short read or
    // a failed write.
    bool copyRaw(int index, QIODevice& out) const;
    // Every byte from the central directory's start to the end: what lists the entries.
    QByteArray directoryBytes() const { return m_directory; }

private:
    // The end of central directory record, with the ZIP64 record's values where there is one.
    struct EndRecord {
        qint64 at = 0;  // where the directory must end
        quint32 disk = 0, cdDisk = 0;
        qint64 onDisk = 0, total = 0, cdSize = 0, cdOffset = 0;
    };
    ZipReader() = default;
    static Opened finishOpening(std::unique_ptr<ZipReader> reader);
    zip::Outcome parse();
    static std::optional<EndRecord> FindEnd(const QByteArray& tail, qint64 tailAt,
                                            const std::function<bool(qint64)>& directoryAt);
    bool hasCentralHeaderAt(qint64 offset) const;
    // The end record with the ZIP64 record's values, where there is one.
    struct EndRead {
        EndRecord end;
        zip::Outcome outcome;
    };
    EndRead withZip64End(const QByteArray& tail, qint64 tailAt, EndRecord end) const;
    // Exactly length bytes at offset into to, or false.
    bool fetch(qint64 offset, qint64 length, char* to) const;
    std::optional<QByteArray> fetchAll(qint64 offset, qint64 length) const;
    // The whole entry inflated into out, which holds its uncompressed size.
    zip::Outcome inflateInto(const zip::EntryInfo& e, char* out) const;

    QByteArray m_data;  // the archive, when it is in memory
    int m_fd = -1;      // the file, when it is read from one
    bool m_ownsFd = false;
    qint64 m_size = 0;
    QByteArray m_directory;  // the central directory and the end record
    QVector<zip::EntryInfo> m_entries;
};
