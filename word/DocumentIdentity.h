#pragma once
// Which file a document was read from, and which bytes: a later write compares it with the file
// then on disk, so that a document another program replaced or changed is never written into.
#include <QByteArray>
#include <QString>

struct DocumentIdentity {
    QString path;          // the file's resolved path (a link's target)
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    QByteArray digest;     // SHA-256 of the archive's directory (it lists every part's CRC-32 and
                           // size), or of the whole file for a Word 97 document

    bool isValid() const { return size >= 0; }
    // The same file with the same content; the path does not count (a file may be reached by
    // another name).
    bool sameAs(const DocumentIdentity& other) const;
};

// The identity of an open file descriptor and of the bytes that stand for its content: the
// archive directory (every byte from the central directory's start to the end of the file), or
// a Word 97 document's every byte.
DocumentIdentity IdentityOf(int fd, const QString& resolvedPath, const QByteArray& directory);
// The identity of the file at path as it is now; invalid when it cannot be read as an archive.
DocumentIdentity CurrentIdentity(const QString& path);
