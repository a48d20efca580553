#pragma once
// WordprocessingML as the document engine reads and writes it: the schema order of the elements
// it adds, on/off values, the visible text of paragraphs and how characters are counted, and
// text written into runs. Plain functions over pugixml nodes.
#include <QByteArray>
#include <QString>
#include <initializer_list>
#include <pugixml.hpp>

namespace ooxml {

// Escapes and CDATA as XML has them; no end-of-line or attribute-blank normalising, which
// WordprocessingML does not need and which costs a pass over every character.
inline constexpr unsigned ParseFlags = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_declaration | pugi::parse_ws_pcdata_single;
inline constexpr unsigned SaveFlags = pugi::format_raw | pugi::format_no_declaration;
// Word nests a table in a table in a text box a few levels deep; hundreds is no document.
inline constexpr int MaxXmlDepth = 256;

// Children that must come after a given element in its parent, in schema order. New elements
// go before the first of these that is present, else at the end.
inline const std::initializer_list<const char*> AfterFormProt = {
    "w:vAlign", "w:noEndnote", "w:titlePg", "w:textDirection", "w:bidi", "w:rtlGutter", "w:docGrid",
    "w:printerSettings", "w:sectPrChange"};
inline const std::initializer_list<const char*> AfterNoWrap = {
    "w:tcMar", "w:textDirection", "w:tcFitText", "w:vAlign", "w:hideMark", "w:headers", "w:cellIns",
    "w:cellDel", "w:cellMerge", "w:tcPrChange"};
inline const std::initializer_list<const char*> AfterFitText = {
    "w:vAlign", "w:hideMark", "w:headers", "w:cellIns", "w:cellDel", "w:cellMerge", "w:tcPrChange"};
inline const std::initializer_list<const char*> AfterDocumentProtection = {
    "w:autoFormatOverride", "w:styleLockTheme", "w:styleLockQFSet", "w:defaultTabStop", "w:autoHyphenation",
    "w:consecutiveHyphenLimit", "w:hyphenationZone", "w:doNotHyphenateCaps", "w:showEnvelope",
    "w:summaryLength", "w:clickAndTypeStyle", "w:defaultTableStyle", "w:evenAndOddHeaders",
    "w:bookFoldRevPrinting", "w:bookFoldPrinting", "w:bookFoldPrintingSheets",
    "w:drawingGridHorizontalSpacing", "w:drawingGridVerticalSpacing", "w:displayHorizontalDrawingGridEvery",
    "w:displayVerticalDrawingGridEvery", "w:doNotUseMarginsForDrawingGridOrigin",
    "w:drawingGridHorizontalOrigin", "w:drawingGridVerticalOrigin", "w:doNotShadeFormData",
    "w:noPunctuationKerning", "w:characterSpacingControl", "w:printTwoOnOne", "w:strictFirstAndLastChars",
    "w:noLineBreaksAfter", "w:noLineBreaksBefore", "w:savePreviewPicture", "w:doNotValidateAgainstSchema",
    "w:saveInvalidXml", "w:ignoreMixedContent", "w:alwaysShowPlaceholderText", "w:doNotDemarcateInvalidXml",
    "w:saveXmlDataOnly", "w:useXSLTWhenSaving", "w:saveThroughXslt", "w:showXMLTags",
    "w:alwaysMergeEmptyNamespace", "w:updateFields", "w:hdrShapeDefaults", "w:footnotePr", "w:endnotePr",
    "w:compat", "w:docVars", "w:rsids", "m:mathPr", "w:attachedSchema", "w:themeFontLang",
    "w:clrSchemeMapping", "w:doNotIncludeSubdocsInStats", "w:doNotAutoCompressPictures", "w:forceUpgrade",
    "w:captions", "w:readModeInkLockDown", "w:smartTagType", "sl:schemaLibrary", "w:shapeDefaults",
    "w:doNotEmbedSmartTags", "w:decimalSymbol", "w:listSeparator"};

// The child of that name, made in schema order when missing: before the first of after that is
// present, else at the end.
pugi::xml_node ChildInOrder(pugi::xml_node parent, const char* name, std::initializer_list<const char*> after);
// On/off values as word processors write them; an absent value means on.
bool OnOff(pugi::xml_attribute value);
QByteArray Serialized(const pugi::xml_document& doc);
// False when the document nests deeper than MaxXmlDepth; checked before any recursive walk.
bool WithinDepth(pugi::xml_document& document);
// Elements and attributes are matched by their namespace, never by the prefix a writer chose:
// every name in a namespace this engine reads (WordprocessingML, relationships, markup
// compatibility) is given its usual prefix ("w:", "r:", "mc:"), declared on the root, and a
// name whose usual prefix is bound elsewhere gets another, so that no lookup mistakes it. The
// document must be within MaxXmlDepth.
void UseCanonicalPrefixes(pugi::xml_document& document);
// Whether a part's text declares its namespaces as every word processor does: "w" once, on the
// root, and the WordprocessingML namespace nowhere else. Such a part needs no renaming walk.
bool DeclaresOnlyTheUsualPrefix(const QByteArray& text);
// The local part of a name: "Relationship" of "pr:Relationship".
const char* LocalName(const char* name);
// The visible text of a paragraph, as the word processor's Range.Text shows it.
QString ParagraphText(pugi::xml_node paragraph);
// Characters.Count over a container of paragraphs and tables (see the definition in the source).
int CountBlocks(pugi::xml_node container);
// The characters a person wrote in a block (a paragraph, a table, a content control): every
// character of its text but blanks, tabs, breaks and the marks that end paragraphs and cells.
int VisibleCharacters(pugi::xml_node block);
// Writes text into a run: tabs and breaks become their elements, other control characters are
// dropped (XML cannot carry them).
void AppendRunText(pugi::xml_node run, const QString& text);

} // namespace ooxml
