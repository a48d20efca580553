#include "CompletenessCheck.h"

#include "Edition.h"
#include "FieldCatalogue.h"
#include "Seams.h"
#include "ShortForm.h"
#include "Text.h"
#include "WordHost.h"
#include "WordSession.h"

namespace {

// Ends the walk at the first fault.
struct Stop {};

void Check(WordDocument& doc, QString& message)
{
    progress().FrmShow(18, FieldHigh + 1);
    try {
        WalkCatalogue(doc, [](int i) { return FieldData.at(i).Source == -1 && FieldData.at(i).Check != 0; },
                      [&](int i, int table) {
                          const Tfiledata& f = FieldData.at(i);
                          const QString t = TrimBlanks(doc.CellText(table, f.CellNo));
                          if (f.Check == -1 && t.isEmpty()) {
                              message = IncompleteText;
                              throw Stop();
                          }
                          for (int k = 1; f.Check > 0 && k <= f.Check + 1; ++k) {
                              const QString u = TrimBlanks(doc.CellText(table, f.CellNo + k));
                              if (u.isEmpty() != t.isEmpty()) {
                                  message = MembersIncompleteText;
                                  throw Stop();
                              }
                          }
                          progress().run(QString());
                      });
    } catch (const Stop&) {
    }
}

void ReadValues(WordDocument& doc, QStringList& values, const QStringList& names)
{
    progress().FrmShow(13, FieldHigh + 1);
    WalkCatalogue(doc, [](int) { return true; }, [&](int i, int table) {
        const Tfiledata& f = FieldData.at(i);
        // The first equal name counts; a later record of the same name overwrites.
        for (qsizetype n = 0; n < names.size(); ++n)
            if (names.at(n).compare(f.Name, Qt::CaseInsensitive) == 0) {
                if (f.Source == -1)
                    values[n] = TrimBlanks(doc.CellText(table, f.CellNo));
                break;
            }
        progress().run(QString());
    });
}

} // namespace

void ReadAndCheckDocument(const QString& path, int checks, ReadMode mode, QString& message, QStringList& values,
                          const QStringList& names)
{
    message.clear();
    try {
        if (!WordSession)
            throw std::runtime_error("no session");
        WordSession->OpenDocument(path);
        if (!WordSession->DocumentAlive())
            throw std::runtime_error("not open");
        WordDocument& doc = *WordSession->Doc;
        if ((checks & CheckBodyLength) && doc.CharactersCount() <= MinBodyChars + TemplateChars)
            message = BodyTooShortText;
        if (message.isEmpty() && (checks & CheckCompleteness))
            Check(doc, message);
        if (message.isEmpty() && mode == ReadValuesByName) {
            values = QStringList(names.size(), QStringLiteral("#"));
            ReadValues(doc, values, names);
        }
        WordSession->CloseDocument(false);
    } catch (const std::exception&) {
        if (WordSession && WordSession->DocumentAlive())
            WordSession->CloseDocument(false);
        message = InvalidDocumentText;
    }
    progress().Close();
}
