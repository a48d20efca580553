// libFuzzer target for the Word 97 reader. Not part of the test run; see README.
// The first byte chooses the input's form: even, a whole file; odd, the rest split at its first
// two bytes (a little-endian length) into the WordDocument and 1Table streams of a compound file
// made here, so that the Word format is reached past the container's checks.
#include "DocumentEngine.h"
#include "Edition.h"
#include "Failure.h"
#include "Word97Fixtures.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <cstdint>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if ((data[0] & 1) && bytes.size() >= 2) {
        const qsizetype split = qMin<qsizetype>(qFromLittleEndian<quint16>(bytes.constData()), bytes.size() - 2);
        bytes = word97test::CompoundFileOf({{"WordDocument", bytes.mid(2, split)}, {"1Table", bytes.mid(2 + split)}});
    }
    static const QString path = QDir::tempPath() + QString("/fuzz_word97_%1.qvx").arg(getpid());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(bytes);
    file.close();
    try {
        const auto doc = OpenWordDocument(path);
        for (int s = 1; s <= doc->SectionsCount(); ++s) {
            doc->ProtectedForForms(s);
            doc->SectionTextLength(s);
        }
        doc->CharactersCount();
        for (int t = 1; t <= doc->TablesCount(); ++t)
            for (int c = 1; c <= doc->CellsCount(t) && c <= 200; ++c)
                doc->CellText(t, c);
        try {
            doc->Unprotect(ProtectPassword);
        } catch (const Failure&) {
        }
        doc->SaveAs(path + ".out");
        doc->Close(false);
    } catch (const Failure&) {
    }
    return 0;
}
