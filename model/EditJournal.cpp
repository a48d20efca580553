#include "EditJournal.h"

#include "SafeWrite.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace {

const QString Format = QStringLiteral("vantra-edit-journal-1");
constexpr qint64 MaxJournalSize = 1 << 20;  // a short form's values are a few kilobytes

QJsonObject ToJson(const DocumentIdentity& id)
{
    return {{"path", id.path},
            {"device", QString::number(id.device)},
            {"inode", QString::number(id.inode)},
            {"size", QString::number(id.size)},
            {"modified", QString::number(id.modifiedNs)},
            {"digest", QString::fromLatin1(id.digest.toHex())}};
}

DocumentIdentity IdentityFromJson(const QJsonObject& o)
{
    DocumentIdentity id;
    bool ok[4] = {};
    id.path = o.value("path").toString();
    id.device = o.value("device").toString().toULongLong(&ok[0]);
    id.inode = o.value("inode").toString().toULongLong(&ok[1]);
    id.size = o.value("size").toString().toLongLong(&ok[2]);
    id.modifiedNs = o.value("modified").toString().toLongLong(&ok[3]);
    id.digest = QByteArray::fromHex(o.value("digest").toString().toLatin1());
    if (!(ok[0] && ok[1] && ok[2] && ok[3]) || id.digest.isEmpty())
        return {};
    return id;
}

} // namespace

QString JournalPath(const QString& resolvedDocumentPath)
{
    const QByteArray key = QCryptographicHash::hash(resolvedDocumentPath.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + "/journal/" + QString::fromLatin1(key.left(32))
           + ".json";
}

Outcome WriteJournal(const EditJournal& journal)
{
    QJsonObject values;
    for (auto it = journal.values.cbegin(); it != journal.values.cend(); ++it)
        values.insert(it.key(), it.value());
    const QJsonObject root{{"format", Format},
                           {"document", ToJson(journal.document)},
                           {"written", journal.written.toString(Qt::ISODateWithMs)},
                           {"values", values}};
    const QString path = JournalPath(journal.document.path);
    // The program's own cache folder; nothing else is ever made.
    QDir().mkpath(QFileInfo(path).path());
    return WriteBytesAtomically(path, QJsonDocument(root).toJson(QJsonDocument::Compact));
}

std::optional<EditJournal> ReadJournal(const QString& resolvedDocumentPath)
{
    const QString path = JournalPath(resolvedDocumentPath);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(MaxJournalSize + 1);
    file.close();
    QJsonParseError error{};
    const QJsonObject root = QJsonDocument::fromJson(bytes, &error).object();
    EditJournal journal;
    journal.document = IdentityFromJson(root.value("document").toObject());
    journal.written = QDateTime::fromString(root.value("written").toString(), Qt::ISODateWithMs);
    const QJsonObject values = root.value("values").toObject();
    for (auto it = values.begin(); it != values.end(); ++it)
        journal.values.insert(it.key(), it.value().toString());
    const bool damaged = bytes.size() > MaxJournalSize || error.error != QJsonParseError::NoError
                         || root.value("format").toString() != Format || !journal.document.isValid()
                         || !journal.written.isValid() || journal.document.path != resolvedDocumentPath;
    if (damaged) {
        QFile::remove(path);
        return std::nullopt;
    }
    return journal;
}

void RemoveJournal(const QString& resolvedDocumentPath)
{
    QFile::remove(JournalPath(resolvedDocumentPath));
}

