#pragma once
// The application as reviewers will see it: the whole document rendered to PDF by the installed
// LibreOffice, headless and with a profile of its own, so that a LibreOffice the user has open
// is never disturbed, within PreviewSeconds.
#include <QString>
#include <functional>

inline constexpr int PreviewSeconds = 120;
inline const QString NoPreviewOfficeText =
    QStringLiteral("预览申请书需要 LibreOffice，本机没有找到。请先安装 LibreOffice（Debian 软件包 libreoffice-writer）。");

struct PreviewResult {
    bool ok = false;
    QString message;  // what went wrong, for the user; empty when the PDF was written
};

// Writes document as a PDF to pdf (replaced whole). stop is asked between waits: true ends
// LibreOffice's work at once.
PreviewResult RenderPdf(const QString& document, const QString& pdf, const std::function<bool()>& stop);
