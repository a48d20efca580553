#pragma once
// A value a little too long for its table cell stays on one line in every word processor. Word
// fits it by the cell's "fit text"; LibreOffice ignores that, so the run's characters are
// narrowed (w:w) as well, and made smaller where narrowing alone would go below 60%. A value that
// would only fit unreadably small is left to wrap.
#include <QString>
#include <pugixml.hpp>

namespace ooxml {

// The width text takes at a font size (in half-points), in twips, estimated from its characters:
// a Chinese (wide) character is as wide as the size, others a little over half; LibreOffice adds
// a quarter of the size where Chinese and Latin letters meet.
int EstimatedWidth(const QString& text, int halfPoints);
// The room for text in a table cell: its width less its left and right margins, in twips; 0
// when the cell does not say.
int CellRoom(pugi::xml_node tc);
// Narrows, and if need be shrinks, the run so that text fits room; true when it did.
bool FitRun(pugi::xml_node run, const QString& text, int room, int halfPoints);
// Removes what FitRun writes from run properties: a value written anew is fitted anew.
void RemoveFit(pugi::xml_node rPr);

} // namespace ooxml
