// libFuzzer target for the document reader. Not part of the test run; see README.
// The first byte chooses the input's form: even, a whole package; odd, the main document part
// (wrapped into a package here), so that the XML handling is reached past the ZIP checks.
#include "ZipInMemory.h"
#include "Edition.h"
#include "Failure.h"
#include "DocumentEngine.h"
#include "OoxmlDocument.h"
#include "ZipWriter.h"

#include <QDir>
#include <QFile>
#include <cstdint>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (data[0] & 1)
        bytes = ZipInMemory({{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", bytes}});
    static const QString path = QDir::tempPath() + QString("/fuzz_document_%1.qvx").arg(getpid());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(bytes);
    file.close();
    DocumentEngine app;
    try {
        auto doc = app.Open(path, false, true);
        for (int s = 1; s <= doc->SectionsCount(); ++s)
            doc->SetProtectedForForms(s, !doc->ProtectedForForms(s));
        doc->CharactersCount();
        for (int t = 1; t <= doc->TablesCount(); ++t)
            for (int c = 1; c <= doc->CellsCount(t) && c <= 200; ++c) {
                doc->CellText(t, c);
                if (c % 3 == 0)
                    doc->SetCellText(t, c, "a\r\nb");
                doc->SetCellFitText(t, c, c % 2);
            }
        try {
            doc->Unprotect(ProtectPassword);
        } catch (const Failure&) {
        }
        doc->Protect(2, false, QString());
        doc->SaveAs(path + ".out");
        doc->Close(false);
        app.Open(path + ".out", false, true)->CharactersCount();
    } catch (const Failure&) {
    }
    return 0;
}
