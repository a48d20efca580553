#pragma once
// Which document a start works on, decided from the command line and what is on disk.
#include <QString>

enum class StartAction {
    UseArgument,     // the argument names the document or package
    CreateDefault,   // first run: the default document is made without a question
    ShowChooser,     // the document chooser decides
};

// argument: the first command-line argument or empty; "_link" counts as none.
// markerExisted: the marker file was there before this start; tag: the main window's Tag.
StartAction DecideStart(const QString& argument, bool markerExisted, bool defaultExists, int tag);

// A path whose last character is a lower-case "s", or that ends in ".qvs" in any letter case, is a
// submission package.
bool IsPackagePath(const QString& path);

// Creates the marker file (one GB 18030 line, CR LF) when missing; returns whether it existed.
// Throws Failure when it cannot be written.
bool EnsureMarkerFile(const QString& markerPath);
