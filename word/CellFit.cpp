#include "CellFit.h"

#include "OoxmlXml.h"

#include <QList>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace ooxml {

namespace {

constexpr int DefaultCellMargin = 108;  // twips, Word's 0.19 cm when the table does not say
constexpr int NarrowestScale = 60;      // per cent: narrower letters are hard to read
constexpr int SmallestHalfPoints = 11;  // 5.5 pt, the smallest size a value is shrunk to
constexpr int Slack = 96;               // per cent of the room used, for the estimate's error

// Run properties that come after w:w, w:sz and w:szCs in schema order.
const std::initializer_list<const char*> AfterScale = {
    "w:kern", "w:position", "w:sz", "w:szCs", "w:highlight", "w:u", "w:effect", "w:bdr", "w:shd", "w:fitText",
    "w:vertAlign", "w:rtl", "w:cs", "w:em", "w:lang", "w:eastAsianLayout", "w:specVanish", "w:oMath"};
const std::initializer_list<const char*> AfterSize = {
    "w:szCs", "w:highlight", "w:u", "w:effect", "w:bdr", "w:shd", "w:fitText", "w:vertAlign", "w:rtl", "w:cs",
    "w:em", "w:lang", "w:eastAsianLayout", "w:specVanish", "w:oMath"};
const std::initializer_list<const char*> AfterComplexSize = {
    "w:highlight", "w:u", "w:effect", "w:bdr", "w:shd", "w:fitText", "w:vertAlign", "w:rtl", "w:cs", "w:em",
    "w:lang", "w:eastAsianLayout", "w:specVanish", "w:oMath"};

// East Asian wide and full-width characters, and the middle dot of joined names.
bool Wide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115f) || c == 0x00b7 || (c >= 0x2e80 && c <= 0xa4cf) || (c >= 0xac00 && c <= 0xd7a3)
           || (c >= 0xf900 && c <= 0xfaff) || (c >= 0xfe30 && c <= 0xfe4f) || (c >= 0xff00 && c <= 0xff60)
           || (c >= 0xffe0 && c <= 0xffe6) || (c >= 0x20000 && c <= 0x3fffd);
}

int Twips(pugi::xml_node node)
{
    return node ? std::atoi(node.attribute("w:w").value()) : 0;
}

void SetValue(pugi::xml_node rPr, const char* name, std::initializer_list<const char*> after, int value)
{
    pugi::xml_node node = ChildInOrder(rPr, name, after);
    node.remove_attribute("w:val");
    node.append_attribute("w:val") = value;
}

} // namespace

int EstimatedWidth(const QString& text, int halfPoints)
{
    const int em = halfPoints * 10;  // twips
    int width = 0;
    int previous = -1;  // 1 wide, 0 narrow
    for (const char32_t c : text.toUcs4()) {
        const int wide = Wide(c) ? 1 : 0;
        width += wide ? em : em * 55 / 100;
        if (previous >= 0 && previous != wide && c != ' ')
            width += em / 4;
        previous = wide;
    }
    return width;
}

int CellRoom(pugi::xml_node tc)
{
    const pugi::xml_node tcW = tc.child("w:tcPr").child("w:tcW");
    const char* type = tcW.attribute("w:type").value();
    if (!tcW || (*type && std::strcmp(type, "dxa") != 0))
        return 0;
    const pugi::xml_node table = tc.parent().parent();
    int margins = 0;
    for (const char* side : {"w:left", "w:right"}) {
        pugi::xml_node margin = tc.child("w:tcPr").child("w:tcMar").child(side);
        if (!margin)
            margin = table.child("w:tblPr").child("w:tblCellMar").child(side);
        margins += margin ? Twips(margin) : DefaultCellMargin;
    }
    return std::max(0, Twips(tcW) - margins);
}

bool FitRun(pugi::xml_node run, const QString& text, int room, int halfPoints)
{
    const int needed = EstimatedWidth(text, halfPoints);
    const int usable = room * Slack / 100;
    if (room <= 0 || needed <= usable)
        return false;
    int size = halfPoints;
    int scale = usable * 100 / needed;
    if (scale < NarrowestScale) {
        // Smaller letters first, down to the smallest readable size; then narrower ones.
        size = std::max(SmallestHalfPoints, halfPoints * scale / NarrowestScale);
        scale = std::min(100, usable * 100 / EstimatedWidth(text, size));
        if (scale < NarrowestScale)
            return false;  // it would be unreadable: let it wrap
    }
    pugi::xml_node rPr = run.child("w:rPr") ? run.child("w:rPr") : run.prepend_child("w:rPr");
    SetValue(rPr, "w:w", AfterScale, scale);
    if (size != halfPoints) {
        SetValue(rPr, "w:sz", AfterSize, size);
        SetValue(rPr, "w:szCs", AfterComplexSize, size);
    }
    return true;
}

void RemoveFit(pugi::xml_node rPr)
{
    for (const char* name : {"w:w", "w:sz", "w:szCs"})
        rPr.remove_child(name);
}

} // namespace ooxml
