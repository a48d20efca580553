#include "OoxmlDocument.h"

#include "Failure.h"
#include "CellFit.h"
#include "OoxmlParts.h"
#include "OoxmlXml.h"
#include "ZipReader.h"
#include "ZipWriter.h"
#include "SafeWrite.h"

#include <QBuffer>
#include <QFileInfo>
#include <QDir>
#include <QFile>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ooxml;

namespace {

const QString ContentTypesPart = QStringLiteral("[Content_Types].xml");
// Bounds far above any real application and far below the machine's memory; beyond them a
// file is a damaged document.
constexpr qint64 MaxDocumentSize = 512LL * 1024 * 1024;
constexpr qint64 MaxXmlPartSize = 64LL * 1024 * 1024;

Outcome Damaged(const QString& path, const QString& what)
{
    return Outcome::failed(Cause::DamagedDocument, path, 0, what);
}

} // namespace

OoxmlDocument::OoxmlDocument(const QString& path) : m_path(path)
{
    // Opened without waiting: a pipe, a device or a folder would block or mean nothing. The
    // descriptor stays open while the document is: the parts are read from it as they are
    // needed, and a save copies the parts it did not change from it.
    m_file.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_file.fd < 0) {
        const int error = errno;
        throw Failure(QFileInfo(path).isDir() ? Outcome::failed(Cause::NotAFile, path)
                      : error == ENOENT       ? Outcome::failed(Cause::Missing, path)
                                              : Outcome::failed(Cause::ReadFailed, path, error));
    }
    struct stat st {};
    if (::fstat(m_file.fd, &st) != 0 || !S_ISREG(st.st_mode))
        throw Failure(Outcome::failed(Cause::NotAFile, path));
    // A file beyond the bound is no application, whatever it holds.
    if (st.st_size > MaxDocumentSize)
        throw Failure(Outcome::failed(Cause::DamagedDocument, path, 0, QStringLiteral("文件过大")));
    ZipReader::Opened opened = ZipReader::openDescriptor(m_file.fd);
    if (!opened.reader)
        throw Failure(Outcome::failed(Cause::NotADocument, path, 0, opened.outcome.error));
    m_zip = std::move(opened.reader);
    m_identity = IdentityOf(m_file.fd, QFileInfo(path).canonicalFilePath(), m_zip->directoryBytes());
    load(path);
}

OoxmlDocument::OoxmlDocument(const QByteArray& bytes, const QString& name) : m_bytes(bytes)
{
    ZipReader::Opened opened = ZipReader::openData(m_bytes);
    if (!opened.reader)
        throw Failure(Outcome::failed(Cause::NotADocument, name, 0, opened.outcome.error));
    m_zip = std::move(opened.reader);
    load(name);
}

void OoxmlDocument::load(const QString& path)
{
    // Part names compare without letter case. With two parts of one name, word processors
    // differ in which they read (LibreOffice the last), so the document would mean two things.
    QSet<QString> parts;
    for (const zip::EntryInfo& entry : m_zip->entries()) {
        const QString key = entry.name.toLower();
        if (parts.contains(key))
            throw Failure(Damaged(path, QStringLiteral("部件 %1 出现了两次").arg(entry.name)));
        parts.insert(key);
    }
    m_parts = FindParts(*m_zip);
    const int mainPart = m_zip->find(m_parts.main);
    if (mainPart >= 0 && m_zip->entries().at(mainPart).uncompressedSize > MaxXmlPartSize)
        throw Failure(Damaged(path, QStringLiteral("正文部分过大")));
    ZipReader::Contents document = m_zip->readAll(m_parts.main);
    if (!document.ok())
        throw Failure(Outcome::failed(Cause::NotADocument, path, 0, document.outcome.error));
    // Parsed in place: the text stays in m_documentText, which the tree points into.
    m_documentText = std::move(document.bytes);
    const bool usualPrefixes = DeclaresOnlyTheUsualPrefix(m_documentText);
    const pugi::xml_parse_result parsed = m_document.load_buffer_inplace(
        m_documentText.data(), size_t(m_documentText.size()), ParseFlags, pugi::encoding_utf8);
    if (!parsed)
        throw Failure(Damaged(path, QStringLiteral("%1（位置 %2）").arg(QString::fromUtf8(parsed.description())).arg(parsed.offset)));
    if (!WithinDepth(m_document))
        throw Failure(Damaged(path, QStringLiteral("层次过深")));
    if (!usualPrefixes)
        UseCanonicalPrefixes(m_document);
    if (!m_document.child("w:document").child("w:body"))
        throw Failure(Damaged(path, QStringLiteral("没有正文")));
    if (const int settingsPart = m_zip->find(m_parts.settings); settingsPart >= 0) {
        if (m_zip->entries().at(settingsPart).uncompressedSize > MaxXmlPartSize)
            throw Failure(Damaged(path, QStringLiteral("设置部分有误")));
        const ZipReader::Contents settings = m_zip->readAll(m_parts.settings);
        if (!settings.ok())
            throw Failure(Outcome::failed(Cause::NotADocument, path, 0, settings.outcome.error));
        if (!m_settings.load_buffer(settings.bytes.constData(), size_t(settings.bytes.size()), ParseFlags, pugi::encoding_utf8)
            || !WithinDepth(m_settings))
            throw Failure(Damaged(path, QStringLiteral("设置部分有误")));
        UseCanonicalPrefixes(m_settings);
        if (!m_settings.child("w:settings"))
            throw Failure(Damaged(path, QStringLiteral("设置部分有误")));
        m_hasSettings = true;
    }
    index();
}

OoxmlDocument::~OoxmlDocument() = default;

OoxmlDocument::Descriptor::~Descriptor()
{
    close();
}

void OoxmlDocument::Descriptor::close()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

void OoxmlDocument::index()
{
    m_sections.clear();
    m_tables.clear();
    const pugi::xml_node body = m_document.child("w:document").child("w:body");
    for (pugi::xml_node block : body.children()) {
        if (std::strcmp(block.name(), "w:p") == 0) {
            if (pugi::xml_node sect = block.child("w:pPr").child("w:sectPr"))
                m_sections.append(sect);
        } else if (std::strcmp(block.name(), "w:tbl") == 0) {
            m_tables.append(Table{block, {}, false});
        }
    }
    if (pugi::xml_node last = body.child("w:sectPr"))
        m_sections.append(last);
}

const QVector<pugi::xml_node>& OoxmlDocument::cellsOf(int table)
{
    Table& t = m_tables[table - 1];
    if (!t.indexed) {
        for (pugi::xml_node row : t.node.children("w:tr"))
            for (pugi::xml_node cell : row.children("w:tc")) {
                const pugi::xml_node merge = cell.child("w:tcPr").child("w:vMerge");
                if (merge && std::strcmp(merge.attribute("w:val").value(), "restart") != 0)
                    continue;  // continues the cell above, which counts once
                t.cells.append(cell);
            }
        t.indexed = true;
    }
    return t.cells;
}

void OoxmlDocument::ensureOpen() const
{
    if (m_closed)
        throw Failure(QStringLiteral("文档已关闭"));
}

int OoxmlDocument::TablesCount()
{
    ensureOpen();
    return int(m_tables.size());
}

int OoxmlDocument::CellsCount(int table)
{
    ensureOpen();
    if (table < 1 || table > m_tables.size())
        throw Failure(QStringLiteral("文档中没有第 %1 个表格").arg(table));
    return int(cellsOf(table).size());
}

pugi::xml_node OoxmlDocument::cellNode(int table, int cell)
{
    const int count = CellsCount(table);
    if (cell < 1 || cell > count)
        throw Failure(QStringLiteral("第 %1 个表格中没有第 %2 个单元格").arg(table).arg(cell));
    return cellsOf(table).at(cell - 1);
}

QString OoxmlDocument::CellText(int table, int cell)
{
    const pugi::xml_node tc = cellNode(table, cell);
    QStringList paragraphs;
    for (pugi::xml_node p : tc.children("w:p"))
        paragraphs << ParagraphText(p);
    return paragraphs.join('\r') + "\r\a";
}

void OoxmlDocument::SetCellText(int table, int cell, const QString& text)
{
    pugi::xml_node tc = cellNode(table, cell);
    // The formatting to keep: the first paragraph's properties and its first run's.
    pugi::xml_document keep;
    const pugi::xml_node first = tc.child("w:p");
    const pugi::xml_node pPr = keep.append_copy(first.child("w:pPr"));
    pugi::xml_node rPr;
    for (pugi::xml_node run : first.children("w:r"))
        if (run.child("w:rPr")) {
            rPr = keep.append_copy(run.child("w:rPr"));
            break;
        }
    if (!rPr && first.child("w:pPr").child("w:rPr"))
        rPr = keep.append_copy(first.child("w:pPr").child("w:rPr"));
    if (rPr)
        RemoveFit(rPr);  // fitted anew below, for the new text
    const int room = CellRoom(tc);
    const int size = room > 0 ? fontSize(pPr, rPr) : 0;

    for (pugi::xml_node child = tc.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        if (std::strcmp(child.name(), "w:tcPr") != 0)
            tc.remove_child(child);
        child = next;
    }
    QString normalized = text;
    normalized.replace("\r\n", "\n").replace('\r', '\n');
    for (const QString& line : normalized.split('\n')) {
        pugi::xml_node p = tc.append_child("w:p");
        if (pPr)
            p.append_copy(pPr);
        if (line.isEmpty())
            continue;
        pugi::xml_node run = p.append_child("w:r");
        if (rPr)
            run.append_copy(rPr);
        AppendRunText(run, line);
        if (!normalized.contains('\n'))
            FitRun(run, line, room, size);
    }
}

int OoxmlDocument::fontSize(pugi::xml_node pPr, pugi::xml_node rPr)
{
    if (const int own = rPr.child("w:sz").attribute("w:val").as_int(); own > 0)
        return own;
    if (!m_stylesRead)
        readStyles();
    QByteArray id = pPr.child("w:pStyle").attribute("w:val").value();
    if (id.isEmpty())
        id = m_defaultStyle;
    // A style without a size takes its base's; a loop or a missing style ends at the default.
    for (int step = 0; step < 20 && m_styles.contains(id); ++step) {
        const auto& [size, basedOn] = m_styles.value(id);
        if (size > 0)
            return size;
        id = basedOn;
    }
    return m_defaultSize;
}

void OoxmlDocument::readStyles()
{
    m_stylesRead = true;
    const int part = m_zip->find(m_parts.styles);
    if (part < 0 || m_zip->entries().at(part).uncompressedSize > MaxXmlPartSize)
        return;
    const ZipReader::Contents bytes = m_zip->readAll(part);
    pugi::xml_document styles;
    if (!bytes.ok() || !styles.load_buffer(bytes.bytes.constData(), size_t(bytes.bytes.size()), ParseFlags)
        || !WithinDepth(styles))
        return;
    UseCanonicalPrefixes(styles);
    const pugi::xml_node root = styles.child("w:styles");
    if (const int size = root.child("w:docDefaults").child("w:rPrDefault").child("w:rPr").child("w:sz").attribute("w:val").as_int(); size > 0)
        m_defaultSize = size;
    for (pugi::xml_node style : root.children("w:style")) {
        if (std::strcmp(style.attribute("w:type").value(), "paragraph") != 0)
            continue;
        const QByteArray id = style.attribute("w:styleId").value();
        if (OnOff(style.attribute("w:default")) && style.attribute("w:default"))
            m_defaultStyle = id;
        m_styles.insert(id, {style.child("w:rPr").child("w:sz").attribute("w:val").as_int(),
                             style.child("w:basedOn").attribute("w:val").value()});
    }
}

void OoxmlDocument::SetCellWordWrap(int table, int cell, bool on)
{
    pugi::xml_node tc = cellNode(table, cell);
    pugi::xml_node tcPr = tc.child("w:tcPr") ? tc.child("w:tcPr") : tc.prepend_child("w:tcPr");
    if (on)
        tcPr.remove_child("w:noWrap");
    else
        ChildInOrder(tcPr, "w:noWrap", AfterNoWrap);
}

void OoxmlDocument::SetCellFitText(int table, int cell, bool on)
{
    pugi::xml_node tc = cellNode(table, cell);
    pugi::xml_node tcPr = tc.child("w:tcPr") ? tc.child("w:tcPr") : tc.prepend_child("w:tcPr");
    if (on)
        ChildInOrder(tcPr, "w:tcFitText", AfterFitText).remove_attribute("w:val");
    else
        tcPr.remove_child("w:tcFitText");
}

int OoxmlDocument::CharactersCount()
{
    ensureOpen();
    return CountBlocks(m_document.child("w:document").child("w:body"));
}

int OoxmlDocument::SectionTextLength(int section)
{
    ensureOpen();
    if (section < 1 || section > m_sections.size())
        throw Failure(QStringLiteral("文档中没有第 %1 节").arg(section));
    // A section is the blocks up to the paragraph that carries its properties.
    int current = 1;
    int count = 0;
    for (pugi::xml_node block : m_document.child("w:document").child("w:body").children()) {
        if (current == section)
            count += VisibleCharacters(block);
        if (std::strcmp(block.name(), "w:p") == 0 && block.child("w:pPr").child("w:sectPr"))
            ++current;
    }
    return count;
}

Outcome OoxmlDocument::SaveAs(const QString& path)
{
    ensureOpen();
    const QString shown = QDir::toNativeSeparators(path);
    QByteArray contentTypes, relations;
    if (m_settingsCreated) {
        // A settings part made here must be announced to the package.
        contentTypes = m_zip->readAll(ContentTypesPart).bytes;
        contentTypes.replace("</Types>", "<Override PartName=\"/" + m_parts.settings.toUtf8() + "\" ContentType=\"application/"
                                         "vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/></Types>");
        const ZipReader::Contents existing = m_zip->readAll(m_parts.mainRels);
        relations = existing.ok() ? existing.bytes
                                  : QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><Relationships "
                                               "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                                               "</Relationships>");
        relations.replace("</Relationships>",
                          "<Relationship Id=\"rIdVantraSettings\" Type=\"http://schemas.openxmlformats.org/"
                          "officeDocument/2006/relationships/settings\" Target=\"" + m_parts.settingsTarget().toUtf8()
                              + "\"/></Relationships>");
    }

    QString engineError;
    QByteArray directory;
    const Outcome saved = WriteAtomically(path, [&](QFileDevice& out) {
        ZipWriter writer(&out, false);
        auto addNew = [this, &writer](const QString& name, const QByteArray& data) {
            ZipWriter::Entry entry;
            entry.rawName = name.toUtf8();
            // The main part is stored: it is read at every opening and written at every save.
            entry.deflateType = name == m_parts.main ? -1 : zip::dtDeflateF;
            return writer.add(entry, data.constData(), data.size());
        };
        bool ok = true;
        bool relationsWritten = false;
        for (int i = 0; ok && i < m_zip->entries().size(); ++i) {
            const zip::EntryInfo& e = m_zip->entries().at(i);
            if (e.name == m_parts.main)
                ok = addNew(e.name, Serialized(m_document));
            else if (e.name == m_parts.settings)
                ok = addNew(e.name, Serialized(m_settings));
            else if (m_settingsCreated && e.name == ContentTypesPart)
                ok = addNew(e.name, contentTypes);
            else if (m_settingsCreated && e.name == m_parts.mainRels)
                ok = addNew(e.name, relations), relationsWritten = true;
            else
                ok = writer.addRaw(e, *m_zip, i);
        }
        if (ok && m_settingsCreated) {
            ok = addNew(m_parts.settings, Serialized(m_settings));
            if (ok && !relationsWritten)
                ok = addNew(m_parts.mainRels, relations);
        }
        if (ok && writer.finish()) {
            directory = writer.directory();
            return true;
        }
        engineError = writer.error();
        return false;
    });
    // The old file is replaced only once the new one is complete and on the device.
    if (!saved.written())
        throw Failure(engineError.isEmpty() || saved.error != 0 ? saved : Outcome::other(Explain(saved) + QStringLiteral("（%1）").arg(engineError)));
    // What is there now is what this document wrote, even when its folder could not be flushed.
    m_path = path;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        m_identity = IdentityOf(fd, QFileInfo(path).canonicalFilePath(), directory);
        ::close(fd);
    } else {
        m_identity = {};
    }
    return saved;
}

Outcome OoxmlDocument::Close(bool saveChanges)
{
    ensureOpen();
    const Outcome saved = saveChanges ? SaveAs(m_path) : Outcome{};
    m_closed = true;
    m_sections.clear();
    m_tables.clear();
    m_document.reset();
    m_settings.reset();
    m_zip.reset();
    m_file.close();
    m_bytes.clear();
    m_documentText.clear();
    return saved;
}
