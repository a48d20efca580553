#include "OoxmlDocument.h"

#include "Failure.h"
#include "CellFit.h"
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

const QString DocumentPart = QStringLiteral("word/document.xml");
const QString SettingsPart = QStringLiteral("word/settings.xml");
const QString StylesPart = QStringLiteral("word/styles.xml");
const QString ContentTypesPart = QStringLiteral("[Content_Types].xml");
const QString DocumentRelsPart = QStringLiteral("word/_rels/document.xml.rels");
// Bounds far above any real application and far below the machine's memory; beyond them a
// file is a damaged document.
constexpr qint64 MaxDocumentSize = 512LL * 1024 * 1024;
constexpr qint64 MaxXmlPartSize = 64LL * 1024 * 1024;

} // namespace

OoxmlDocument::OoxmlDocument(const QString& path) : m_path(path)
{
    const QString shown = QDir::toNativeSeparators(path);
    // Opened without waiting: a pipe, a device or a folder would block or mean nothing. The
    // descriptor stays open while the document is: the parts are read from it as they are
    // needed, and a save copies the parts it did not change from it.
    m_file.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_file.fd < 0)
        throw Failure(QFileInfo(path).isDir() ? QStringLiteral("%1 不是文件，不能作为申请书打开").arg(shown)
                                              : QStringLiteral("无法打开文档 %1").arg(shown));
    struct stat st {};
    if (::fstat(m_file.fd, &st) != 0 || !S_ISREG(st.st_mode))
        throw Failure(QStringLiteral("%1 不是文件，不能作为申请书打开").arg(shown));
    // A file beyond the bound is no application, whatever it holds.
    if (st.st_size > MaxDocumentSize)
        throw Failure(QStringLiteral("文档 %1 的内容已损坏：文件过大").arg(shown));
    QString why;
    m_zip = ZipReader::openDescriptor(m_file.fd, &why);
    if (!m_zip)
        throw Failure(QStringLiteral("文档 %1 不是有效的 Word 文档：%2").arg(shown, why));
    m_identity = IdentityOf(m_file.fd, QFileInfo(path).canonicalFilePath(), m_zip->directoryBytes());
    load(shown);
}

OoxmlDocument::OoxmlDocument(const QByteArray& bytes, const QString& name) : m_bytes(bytes)
{
    QString why;
    m_zip = ZipReader::openData(m_bytes, &why);
    if (!m_zip)
        throw Failure(QStringLiteral("文档 %1 不是有效的 Word 文档：%2").arg(name, why));
    load(name);
}

void OoxmlDocument::load(const QString& shown)
{
    // Part names compare without letter case. With two parts of one name, word processors
    // differ in which they read (LibreOffice the last), so the document would mean two things.
    QSet<QString> parts;
    for (const zip::EntryInfo& entry : m_zip->entries()) {
        const QString key = entry.name.toLower();
        if (parts.contains(key))
            throw Failure(QStringLiteral("文档 %1 的内容已损坏：部件 %2 出现了两次").arg(shown, entry.name));
        parts.insert(key);
    }
    QString why;
    const int mainPart = m_zip->find(DocumentPart);
    if (mainPart >= 0 && m_zip->entries().at(mainPart).uncompressedSize > MaxXmlPartSize)
        throw Failure(QStringLiteral("文档 %1 的内容已损坏：正文部分过大").arg(shown));
    auto document = m_zip->readAll(DocumentPart, &why);
    if (!document)
        throw Failure(QStringLiteral("文档 %1 不是有效的 Word 文档：%2").arg(shown, why));
    // Parsed in place: the text stays in m_documentText, which the tree points into.
    m_documentText = std::move(*document);
    const pugi::xml_parse_result parsed = m_document.load_buffer_inplace(
        m_documentText.data(), size_t(m_documentText.size()), ParseFlags, pugi::encoding_utf8);
    if (!parsed)
        throw Failure(QStringLiteral("文档 %1 的内容已损坏：%2（位置 %3）")
                          .arg(shown, QString::fromUtf8(parsed.description()))
                          .arg(parsed.offset));
    if (!m_document.child("w:document").child("w:body"))
        throw Failure(QStringLiteral("文档 %1 的内容已损坏：没有正文").arg(shown));
    if (!WithinDepth(m_document))
        throw Failure(QStringLiteral("文档 %1 的内容已损坏：层次过深").arg(shown));
    if (const int settingsPart = m_zip->find(SettingsPart); settingsPart >= 0) {
        if (m_zip->entries().at(settingsPart).uncompressedSize > MaxXmlPartSize)
            throw Failure(QStringLiteral("文档 %1 的设置已损坏").arg(shown));
        const auto settings = m_zip->readAll(SettingsPart, &why);
        if (!settings)
            throw Failure(QStringLiteral("文档 %1 不是有效的 Word 文档：%2").arg(shown, why));
        if (!m_settings.load_buffer(settings->constData(), size_t(settings->size()), ParseFlags, pugi::encoding_utf8)
            || !m_settings.child("w:settings") || !WithinDepth(m_settings))
            throw Failure(QStringLiteral("文档 %1 的设置已损坏").arg(shown));
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
    const int part = m_zip->find(StylesPart);
    if (part < 0 || m_zip->entries().at(part).uncompressedSize > MaxXmlPartSize)
        return;
    const auto bytes = m_zip->readAll(part, nullptr);
    pugi::xml_document styles;
    if (!bytes || !styles.load_buffer(bytes->constData(), size_t(bytes->size()), ParseFlags) || !WithinDepth(styles))
        return;
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

void OoxmlDocument::SaveAs(const QString& path)
{
    ensureOpen();
    const QString shown = QDir::toNativeSeparators(path);
    QByteArray contentTypes, relations;
    if (m_settingsCreated) {
        // A settings part made here must be announced to the package.
        QString why;
        contentTypes = m_zip->readAll(ContentTypesPart, &why).value_or(QByteArray());
        contentTypes.replace("</Types>", "<Override PartName=\"/word/settings.xml\" ContentType=\"application/"
                                         "vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/></Types>");
        relations = m_zip->readAll(DocumentRelsPart, &why)
                        .value_or("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><Relationships "
                                  "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"></Relationships>");
        relations.replace("</Relationships>",
                          "<Relationship Id=\"rIdVantraSettings\" Type=\"http://schemas.openxmlformats.org/"
                          "officeDocument/2006/relationships/settings\" Target=\"settings.xml\"/></Relationships>");
    }

    QString reason;
    QString engineError;
    QByteArray directory;
    const bool saved = WriteAtomically(path, [&](QFileDevice& out) {
        ZipWriter writer(&out, false);
        auto addNew = [&writer](const QString& name, const QByteArray& data) {
            ZipWriter::Entry entry;
            entry.rawName = name.toUtf8();
            // The main part is stored: it is read at every opening and written at every save.
            entry.deflateType = name == DocumentPart ? -1 : zip::dtDeflateF;
            return writer.add(entry, data.constData(), data.size());
        };
        bool ok = true;
        bool relationsWritten = false;
        for (int i = 0; ok && i < m_zip->entries().size(); ++i) {
            const zip::EntryInfo& e = m_zip->entries().at(i);
            if (e.name == DocumentPart)
                ok = addNew(e.name, Serialized(m_document));
            else if (e.name == SettingsPart)
                ok = addNew(e.name, Serialized(m_settings));
            else if (m_settingsCreated && e.name == ContentTypesPart)
                ok = addNew(e.name, contentTypes);
            else if (m_settingsCreated && e.name == DocumentRelsPart)
                ok = addNew(e.name, relations), relationsWritten = true;
            else
                ok = writer.addRaw(e, *m_zip, i);
        }
        if (ok && m_settingsCreated) {
            ok = addNew(SettingsPart, Serialized(m_settings));
            if (ok && !relationsWritten)
                ok = addNew(DocumentRelsPart, relations);
        }
        if (ok && writer.finish()) {
            directory = writer.directory();
            return true;
        }
        engineError = writer.error();
        return false;
    }, &reason);
    // The old file is replaced only once the new one is complete and on the device.
    if (!saved)
        throw Failure(engineError.isEmpty() ? reason : reason + QStringLiteral("（%1）").arg(engineError));
    m_path = path;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        m_identity = IdentityOf(fd, QFileInfo(path).canonicalFilePath(), directory);
        ::close(fd);
    }
}

void OoxmlDocument::Close(bool saveChanges)
{
    ensureOpen();
    if (saveChanges)
        SaveAs(m_path);
    m_closed = true;
    m_sections.clear();
    m_tables.clear();
    m_document.reset();
    m_settings.reset();
    m_zip.reset();
    m_file.close();
    m_bytes.clear();
    m_documentText.clear();
}

int OoxmlApplication::DocumentsCount()
{
    return int(std::count_if(m_documents.cbegin(), m_documents.cend(), [](const std::weak_ptr<OoxmlDocument>& d) {
        const auto doc = d.lock();
        return doc && !doc->isClosed();
    }));
}

std::shared_ptr<WordDocument> OoxmlApplication::Open(const QString& path, bool, bool)
{
    auto document = std::make_shared<OoxmlDocument>(path);
    m_documents.erase(std::remove_if(m_documents.begin(), m_documents.end(),
                                     [](const std::weak_ptr<OoxmlDocument>& d) { return d.expired(); }),
                      m_documents.end());
    m_documents.append(document);
    return document;
}

void OoxmlApplication::Quit(bool saveChanges)
{
    for (const auto& weak : m_documents)
        if (const auto doc = weak.lock(); doc && !doc->isClosed()) {
            try {
                doc->Close(saveChanges);
            } catch (const Failure&) {
            }
        }
    m_documents.clear();
}


std::unique_ptr<WordApplication> CreateWordApplication()
{
    return std::make_unique<OoxmlApplication>();
}
