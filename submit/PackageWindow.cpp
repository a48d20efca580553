#include "PackageWindow.h"

Tfrmzipx::Tfrmzipx(QWidget* parent) : QWidget(parent)
{
    setObjectName("frmzipx");
}

bool Tfrmzipx::ExtractPackage(const QString&, const QString&)
{
    // The archive engine is not built yet: every package counts as one that cannot be unpacked.
    return false;
}
