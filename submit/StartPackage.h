#pragma once
// A package given to the program at start: its document is unpacked beside it and opened.
#include "Package.h"

#include <functional>

struct StartDocument {
    QString path;     // the document to open; empty when the user declined to name one
    QString failure;  // why the unpacking failed; path is still where it was meant to go
};

// The document goes to UnpackTarget(package). When a file stands there, askName is asked for
// another name (it gets the proposed path; an empty answer declines), which takes the
// document's extension. Nothing is replaced that the user did not name.
StartDocument UnpackAtStart(PackageState& state, const QString& package,
                            const std::function<QString(const QString& proposed)>& askName);
