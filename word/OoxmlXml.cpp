#include "OoxmlXml.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

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

namespace {

struct KnownNamespace {
    const char* uri;
    const char* prefix;
};
constexpr KnownNamespace Known[] = {
    {"http://schemas.openxmlformats.org/wordprocessingml/2006/main", "w"},
    {"http://purl.oclc.org/ooxml/wordprocessingml/main", "w"},
    {"http://schemas.openxmlformats.org/officeDocument/2006/relationships", "r"},
    {"http://purl.oclc.org/ooxml/officeDocument/relationships", "r"},
    {"http://schemas.openxmlformats.org/markup-compatibility/2006", "mc"},
};
constexpr const char* ForeignPrefix = "vantra-foreign";

const char* CanonicalPrefix(const std::string& uri)
{
    for (const KnownNamespace& k : Known)
        if (uri == k.uri)
            return k.prefix;
    return nullptr;
}

bool IsCanonical(const std::string& prefix)
{
    for (const KnownNamespace& k : Known)
        if (prefix == k.prefix)
            return true;
    return false;
}

// The prefixes in scope, innermost last.
struct Scope {
    std::vector<std::pair<std::string, std::string>> bindings;
    std::vector<size_t> marks;  // bindings.size() when each open element began
    const std::string* find(const std::string& prefix) const
    {
        for (auto it = bindings.rbegin(); it != bindings.rend(); ++it)
            if (it->first == prefix)
                return &it->second;
        return nullptr;
    }
};

// The name in its usual prefix, or empty when it keeps the one it has.
std::string Renamed(const char* name, const Scope& scope, bool attribute)
{
    const char* colon = std::strchr(name, ':');
    const std::string prefix = colon ? std::string(name, colon) : std::string();
    if (attribute && (!colon || prefix == "xmlns" || prefix == "xml"))
        return {};
    const std::string* uri = scope.find(prefix);
    const char* local = colon ? colon + 1 : name;
    const char* canonical = uri ? CanonicalPrefix(*uri) : nullptr;
    if (canonical && prefix != canonical)
        return std::string(canonical) + ":" + local;
    if (uri && !canonical && colon && IsCanonical(prefix))
        return std::string(ForeignPrefix) + "-" + prefix + ":" + local;
    return {};
}

} // namespace

const char* LocalName(const char* name)
{
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

bool DeclaresOnlyTheUsualPrefix(const QByteArray& text)
{
    return text.count("xmlns:w=") == 1 && text.count("wordprocessingml/2006/main") == 1
           && !text.contains("ooxml/wordprocessingml/main");
}

void UseCanonicalPrefixes(pugi::xml_document& document)
{
    pugi::xml_node root = document.document_element();
    if (!root)
        return;
    Scope scope;
    scope.bindings.push_back({"xml", "http://www.w3.org/XML/1998/namespace"});
    std::vector<std::string> used;
    // Walked without recursion: down to the first child, across to the next sibling, up.
    pugi::xml_node node = root;
    while (node) {
        if (node.type() == pugi::node_element) {
            scope.marks.push_back(scope.bindings.size());
            for (pugi::xml_attribute a : node.attributes()) {
                const char* n = a.name();
                if (std::strcmp(n, "xmlns") == 0)
                    scope.bindings.push_back({std::string(), a.value()});
                else if (std::strncmp(n, "xmlns:", 6) == 0)
                    scope.bindings.push_back({std::string(n + 6), a.value()});
            }
            std::vector<std::pair<std::string, std::string>> foreign;  // prefixes to declare here
            auto rename = [&](auto item, bool attribute) {
                const std::string renamed = Renamed(item.name(), scope, attribute);
                if (renamed.empty())
                    return;
                const std::string prefix = renamed.substr(0, renamed.find(':'));
                if (prefix.rfind(ForeignPrefix, 0) == 0) {
                    const std::string original = prefix.substr(std::strlen(ForeignPrefix) + 1);
                    foreign.push_back({prefix, *scope.find(original)});
                } else {
                    used.push_back(prefix);
                }
                item.set_name(renamed.c_str());
            };
            rename(node, false);
            for (pugi::xml_attribute a : node.attributes())
                rename(a, true);
            for (const auto& [prefix, uri] : foreign)
                if (const std::string d = "xmlns:" + prefix; !node.attribute(d.c_str()))
                    node.append_attribute(d.c_str()) = uri.c_str();
        }
        if (node.type() == pugi::node_element && node.first_child()) {
            node = node.first_child();
            continue;
        }
        // Leaving node: its own bindings go out of scope, and so do those of every parent left.
        for (;;) {
            if (node.type() == pugi::node_element) {
                scope.bindings.resize(scope.marks.back());
                scope.marks.pop_back();
            }
            if (node == root) {
                node = pugi::xml_node();
                break;
            }
            if (node.next_sibling()) {
                node = node.next_sibling();
                break;
            }
            node = node.parent();
        }
    }
    // The usual prefixes are declared where every name can see them, with the transitional
    // names that word processors read.
    for (const char* prefix : {"w", "r", "mc"}) {
        if (std::find(used.begin(), used.end(), prefix) == used.end())
            continue;
        const std::string declaration = std::string("xmlns:") + prefix;
        pugi::xml_attribute a = root.attribute(declaration.c_str());
        if (!a)
            a = root.append_attribute(declaration.c_str());
        for (const KnownNamespace& k : Known)
            if (std::strcmp(k.prefix, prefix) == 0) {
                a.set_value(k.uri);
                break;
            }
    }
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
