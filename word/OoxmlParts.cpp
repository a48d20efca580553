#include "OoxmlParts.h"

#include "OoxmlXml.h"
#include "ZipReader.h"

#include <QDir>
#include <cstring>
#include <pugixml.hpp>

namespace {

// Relationship parts are small; a larger one is no package's.
constexpr qint64 MaxRelationshipsSize = 4LL * 1024 * 1024;

QString FolderOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf('/');
    return slash < 0 ? QString() : part.left(slash + 1);
}

// The target of the first relationship in relsPart whose type ends in "/" + type, as a part
// name: resolved against folder, without a leading slash. Empty when there is none.
QString Target(const ZipReader& zip, const QString& relsPart, const char* type, const QString& folder)
{
    const int index = zip.find(relsPart);
    if (index < 0 || zip.entries().at(index).uncompressedSize > MaxRelationshipsSize)
        return {};
    const ZipReader::Contents bytes = zip.readAll(index);
    pugi::xml_document xml;
    if (!bytes.ok() || !xml.load_buffer(bytes.bytes.constData(), size_t(bytes.bytes.size()), ooxml::ParseFlags)
        || !ooxml::WithinDepth(xml))
        return {};
    const QByteArray suffix = QByteArray("/") + type;
    for (pugi::xml_node r : xml.document_element().children()) {
        if (std::strcmp(ooxml::LocalName(r.name()), "Relationship") != 0
            || !QByteArray(r.attribute("Type").value()).endsWith(suffix)
            || QByteArray(r.attribute("TargetMode").value()) == "External")
            continue;
        const QString target = QString::fromUtf8(r.attribute("Target").value());
        if (target.isEmpty())
            continue;
        const QString path = QDir::cleanPath(target.startsWith('/') ? target.mid(1) : folder + target);
        // A target outside the package names no part of it.
        if (path.startsWith(QLatin1String("../")) || path == QLatin1String(".."))
            return {};
        return path;
    }
    return {};
}

} // namespace

QString PackageParts::settingsTarget() const
{
    return settings.startsWith(FolderOf(main)) ? settings.mid(FolderOf(main).size()) : "/" + settings;
}

PackageParts FindParts(const ZipReader& zip)
{
    PackageParts parts;
    parts.main = Target(zip, QStringLiteral("_rels/.rels"), "officeDocument", QString());
    if (parts.main.isEmpty() || zip.find(parts.main) < 0)
        parts.main = QStringLiteral("word/document.xml");
    const QString folder = FolderOf(parts.main);
    parts.mainRels = folder + "_rels/" + parts.main.mid(folder.size()) + ".rels";
    parts.settings = Target(zip, parts.mainRels, "settings", folder);
    if (parts.settings.isEmpty())
        parts.settings = folder + "settings.xml";
    parts.styles = Target(zip, parts.mainRels, "styles", folder);
    if (parts.styles.isEmpty())
        parts.styles = folder + "styles.xml";
    return parts;
}
