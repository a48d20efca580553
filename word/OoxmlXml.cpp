#include "OoxmlXml.h"

#include <cstring>

namespace ooxml {

pugi::xml_node ChildInOrder(pugi::xml_node parent, const char* name, std::initializer_list<const char*> after)
{
    if (pugi::xml_node existing = parent.child(name))
        return existing;
    for (pugi::xml_node child : parent.children())
        for (const char* later : after)
            if (std::strcmp(child.name(), later) == 0)
                return parent.insert_child_before(name, child);
    return parent.append_child(name);
}

bool OnOff(pugi::xml_attribute value)
{
    if (!value)
        return true;
    const char* v = value.value();
    return !(std::strcmp(v, "0") == 0 || std::strcmp(v, "false") == 0 || std::strcmp(v, "off") == 0);
}

namespace {

class ByteWriter : public pugi::xml_writer {
public:
    QByteArray bytes;
    void write(const void* data, size_t size) override { bytes.append(static_cast<const char*>(data), qsizetype(size)); }
};

} // namespace

QByteArray Serialized(const pugi::xml_document& doc)
{
    ByteWriter writer;
    doc.save(writer, "", SaveFlags, pugi::encoding_utf8);
    return writer.bytes;
}

// pugixml's walker keeps its own depth count and does not recurse; the walks of this engine do,
// so a document nested deeper than any word processor writes is refused before them.
namespace {

class DepthProbe : public pugi::xml_tree_walker {
public:
    bool tooDeep = false;
    bool for_each(pugi::xml_node&) override
    {
        tooDeep = depth() >= MaxXmlDepth;
        return !tooDeep;
    }
};

} // namespace

bool WithinDepth(pugi::xml_document& document)
{
    DepthProbe probe;
    document.traverse(probe);
    return !probe.tooDeep;
}

static QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The visible text of a paragraph, as the word processor's Range.Text shows it: text, tabs and
// breaks; deleted text, field codes and text boxes are not part of the main text.
static void CollectText(pugi::xml_node node, QString& out)
{
    for (pugi::xml_node child : node.children()) {
        const char* name = child.name();
        if (std::strcmp(name, "w:t") == 0) {
            out += Text(child.text().get());
        } else if (std::strcmp(name, "w:tab") == 0 || std::strcmp(name, "w:ptab") == 0) {
            out += '\t';
        } else if (std::strcmp(name, "w:br") == 0 || std::strcmp(name, "w:cr") == 0) {
            out += std::strcmp(child.attribute("w:type").value(), "page") == 0 ? QChar('\f') : QChar('\v');
        } else if (std::strcmp(name, "w:noBreakHyphen") == 0 || std::strcmp(name, "w:softHyphen") == 0
                   || std::strcmp(name, "w:sym") == 0) {
            out += '-';
        } else if (std::strcmp(name, "w:del") == 0 || std::strcmp(name, "w:instrText") == 0
                   || std::strcmp(name, "w:txbxContent") == 0 || std::strcmp(name, "w:pPr") == 0
                   || std::strcmp(name, "w:rPr") == 0 || std::strcmp(name, "w:moveFrom") == 0) {
            continue;
        } else {
            CollectText(child, out);
        }
    }
}

QString ParagraphText(pugi::xml_node paragraph)
{
    QString text;
    CollectText(paragraph, text);
    return text;
}

// Characters.Count, as this engine defines it over the main text (headers, footers and text
// boxes are not counted):
//   - every character of text, every tab and every break counts 1;
//   - every paragraph outside tables counts 1 more for its paragraph mark;
//   - a table cell counts its paragraphs' text, 1 for each paragraph mark between them, and 2
//     for the end-of-cell mark (CR BEL, as the cell's text reads); a vertically merged
//     continuation cell counts its end-of-cell mark like any other;
//   - every table row counts 2 more for its end-of-row mark.
// Content controls (w:sdt) count as the content they hold.
int VisibleCharacters(pugi::xml_node block)
{
    const char* name = block.name();
    if (std::strcmp(name, "w:p") == 0) {
        int count = 0;
        for (const QChar c : ParagraphText(block))
            count += !c.isSpace() && c.unicode() >= 0x20;
        return count;
    }
    int count = 0;
    if (std::strcmp(name, "w:tbl") == 0 || std::strcmp(name, "w:tr") == 0 || std::strcmp(name, "w:tc") == 0
        || std::strcmp(name, "w:sdt") == 0 || std::strcmp(name, "w:sdtContent") == 0)
        for (pugi::xml_node child : block.children())
            count += VisibleCharacters(child);
    return count;
}

int CountBlocks(pugi::xml_node container);

static int CountTable(pugi::xml_node table)
{
    int count = 0;
    for (pugi::xml_node row : table.children("w:tr")) {
        for (pugi::xml_node cell : row.children("w:tc")) {
            int paragraphs = 0;
            for (pugi::xml_node block : cell.children()) {
                if (std::strcmp(block.name(), "w:p") == 0) {
                    count += int(ParagraphText(block).size());
                    ++paragraphs;
                } else if (std::strcmp(block.name(), "w:tbl") == 0) {
                    count += CountTable(block);
                }
            }
            count += qMax(0, paragraphs - 1) + 2;
        }
        count += 2;
    }
    return count;
}

int CountBlocks(pugi::xml_node container)
{
    int count = 0;
    for (pugi::xml_node block : container.children()) {
        const char* name = block.name();
        if (std::strcmp(name, "w:p") == 0)
            count += int(ParagraphText(block).size()) + 1;
        else if (std::strcmp(name, "w:tbl") == 0)
            count += CountTable(block);
        else if (std::strcmp(name, "w:sdt") == 0)
            count += CountBlocks(block.child("w:sdtContent"));
    }
    return count;
}

// Writes text into a run: tabs and breaks become their elements, other control characters are
// dropped (XML cannot carry them).
void AppendRunText(pugi::xml_node run, const QString& text)
{
    QString pending;
    auto flush = [&] {
        if (pending.isEmpty())
            return;
        pugi::xml_node t = run.append_child("w:t");
        t.append_attribute("xml:space") = "preserve";
        t.text().set(pending.toUtf8().constData());
        pending.clear();
    };
    for (const QChar c : text) {
        if (c == '\t') {
            flush();
            run.append_child("w:tab");
        } else if (c == '\v' || c == '\f') {
            flush();
            pugi::xml_node br = run.append_child("w:br");
            if (c == '\f')
                br.append_attribute("w:type") = "page";
        } else if (c.unicode() >= 0x20 && c.unicode() != 0xfffe && c.unicode() != 0xffff) {
            pending += c;
        }
    }
    flush();
}


} // namespace ooxml
