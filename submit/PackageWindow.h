#pragma once
// Tfrmzipx: packs, checks and unpacks submission packages.
#include <QWidget>

class Tfrmzipx : public QWidget {
    Q_OBJECT
public:
    explicit Tfrmzipx(QWidget* parent = nullptr);
    // Unpacks the package's document to target; false on failure.
    bool ExtractPackage(const QString& package, const QString& target);
};
