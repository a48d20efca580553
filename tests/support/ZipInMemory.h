#pragma once
// An archive in memory from named parts, for the tests' hand-made containers (OOXML packages,
// damaged packages). A part the writer refuses ends the test's setup loudly.
#include "ZipWriter.h"

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <QVector>
#include <algorithm>
#include <stdexcept>
#include <utility>

inline QByteArray ZipInMemory(const QVector<std::pair<QString, QByteArray>>& parts, int deflateType = zip::dtDeflateN)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ZipWriter writer(&buffer, false);
    for (const auto& [name, data] : parts) {
        ZipWriter::Entry entry;
        entry.rawName = name.toUtf8();
        entry.utf8Name = std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() > 127; });
        entry.deflateType = deflateType;
        if (!writer.add(entry, data.constData(), data.size()))
            throw std::runtime_error("ZipInMemory: " + writer.error().toStdString());
    }
    if (!writer.finish())
        throw std::runtime_error("ZipInMemory: " + writer.error().toStdString());
    return bytes;
}
