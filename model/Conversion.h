#pragma once
// The Windows edition's Word 97–2003 application turned into the current format, on request and
// never over the original: LibreOffice converts a copy, the template's protection is put on the
// result, and the result is read back and compared with what the native reader read from the
// original (every value of the short form, the tables' cell counts, the sections' protection,
// the body's length). Only when all agree is the new file written, beside the original, under a
// name nothing holds.
#include <QString>
#include <functional>

inline constexpr int ConversionSeconds = 120;

struct ConversionOutcome {
    enum Status {
        Converted,
        NotOldFormat,     // the document is in the current format already
        Unreadable,       // the original cannot be read, or is no application
        TargetTaken,      // something stands at the new name, or it is the original
        NoOffice,         // LibreOffice is not installed
        Stopped,          // the user gave up
        OfficeFailed,     // LibreOffice could not convert it, in time or at all
        Differs,          // the conversion changed what the application says
        WriteFailed,      // the new file could not be written
    };
    Status status = Unreadable;
    QString message;  // for the user; empty when converted
    bool ok() const { return status == Converted; }
};

// The catalogue must be loaded. stop is asked while LibreOffice works.
ConversionOutcome ConvertToCurrentFormat(const QString& original, const QString& target,
                                         const std::function<bool()>& stop);

// The name beside the original for its converted copy: "NAME（新格式）.qvx", numbered when taken.
QString ConvertedNameFor(const QString& original);
