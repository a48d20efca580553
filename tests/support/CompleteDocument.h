#pragma once
// A document that passes the completeness check, for the suites that link the document engine.
#include "CompletenessCheck.h"
#include "Edition.h"
#include "FieldCatalogue.h"
#include "DocumentEngine.h"
#include "OoxmlDocument.h"

#include <QMap>

// Fills every required own cell (with values given by field name where there is one, else "v")
// and every mirror, and writes body text of the given length into section 2. The catalogue must be
// loaded.
inline void CompleteDocument(const QString& path, int bodyChars, const QMap<QString, QString>& values = {})
{
    DocumentEngine app;
    auto doc = app.Open(path, false, true);
    doc->Unprotect(ProtectPassword);
    auto value = [&values](const QString& name) {
        return values.value(name, name == QLatin1String("email") ? QStringLiteral("a@b.cn") : QStringLiteral("v"));
    };
    for (const Tfiledata& f : FieldData())
        if (f.Source == -1 && (f.Check == -1 || values.contains(f.Name)))
            doc->SetCellText(f.TableNo, f.CellNo, value(f.Name));
    for (const Tfiledata& f : FieldData())
        if (f.Source >= 0)
            doc->SetCellText(f.TableNo, f.CellNo, value(FieldData().at(f.Source).Name));
    doc->SetCellText(5, 15, QString(bodyChars, QChar(0x5b57)));  // a budget cell of the body section
    doc->Protect(2, false, ProtectPassword);
    doc->Close(true);
}
