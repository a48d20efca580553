#pragma once
// The Windows edition's Word 97–2003 application, when the user is about to edit it: asked
// once whether to convert it, then converted beside the original (which stays as it was) with
// the progress window and its 取消.
#include <QString>
#include <optional>

// The converted document's path, or nothing when the user declined or the conversion failed
// (which was said).
std::optional<QString> ConvertOnRequest(const QString& document);
