#pragma once
// Why a submission package cannot be read, whoever reads it (the window, qvtool, the intake, a
// new application made from a package): damaged, enciphered as packages never are, compressed
// in a way the engine does not read, or no package at all. One cause, one explanation.
#include "Outcome.h"
#include "ZipFormat.h"

// The archive engine's outcome as the program's: what is wrong with the package at path.
Outcome PackageOutcome(const zip::Outcome& outcome, const QString& path);
// Its explanation.
QString PackageRefusal(const zip::Outcome& outcome);
