#pragma once
// LibreOffice at work for the program: the preview's PDF and the conversion of a Word 97
// document. It runs headless with a profile of its own, in a process group of its own and
// within a time limit, on a copy in a private folder, so that a LibreOffice the user has open is
// never disturbed and no lock file appears beside the user's document.
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

inline const QString NoOfficeText =
    QStringLiteral("需要 LibreOffice，本机没有找到。请先安装 LibreOffice（Debian 软件包 libreoffice-writer）。");

struct OfficeOutcome {
    enum Status { Done, NoOffice, Unreadable, NotStarted, Stopped, TimedOut, Failed };
    Status status = Failed;
    QString detail;   // what LibreOffice said, for NotStarted and Failed; the path for Unreadable
    QString output;   // the converted file, in the private folder, when Done
    std::shared_ptr<QTemporaryDir> folder;  // holds the output; removed with the last copy
    bool ok() const { return status == Done; }
};

// Converts a copy of document (named copyName, whose extension LibreOffice reads the format by)
// with the filter ("pdf", "docx:MS Word 2007 XML"), into a file with the given extension. stop
// is asked between waits: true ends LibreOffice's work at once.
OfficeOutcome ConvertWithOffice(const QString& document, const QString& copyName, const QString& filter,
                                const QString& extension, int seconds, const std::function<bool()>& stop);
