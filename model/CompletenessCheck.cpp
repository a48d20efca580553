#include "CompletenessCheck.h"

#include "Edition.h"
#include "Failure.h"
#include "OoxmlDocument.h"
#include "Resources.h"
#include "FieldCatalogue.h"
#include "ShortForm.h"
#include "Text.h"
#include "WordHost.h"
#include "WordSession.h"

namespace {

void Check(DocumentReader& doc, DocumentCheck& result, const CheckStep& step)
{
    WalkCatalogue(doc, [](int i) { return FieldData().at(i).Source == -1 && FieldData().at(i).Check != 0; },
                  [&](int i, int table) {
                      const Tfiledata& f = FieldData().at(i);
                      const QString t = TrimBlanks(doc.CellText(table, f.CellNo));
                      if (f.Check == -1 && t.isEmpty()) {
                          result.outcome = DocumentCheck::Incomplete;
                          result.message = IncompleteText;
                          return false;
                      }
                      for (int k = 1; f.Check > 0 && k <= f.Check + 1; ++k) {
                          const QString u = TrimBlanks(doc.CellText(table, f.CellNo + k));
                          if (u.isEmpty() != t.isEmpty()) {
                              result.outcome = DocumentCheck::MembersIncomplete;
                              result.message = MembersIncompleteText;
                              return false;
                          }
                      }
                      if (step)
                          step(CheckPhase::Checking);
                      return true;
                  });
}

void ReadValues(DocumentReader& doc, QStringList& values, const QStringList& names, const CheckStep& step)
{
    WalkCatalogue(doc, [](int) { return true; }, [&](int i, int table) {
        const Tfiledata& f = FieldData().at(i);
        // The first equal name counts; a later record of the same name overwrites.
        for (qsizetype n = 0; n < names.size(); ++n)
            if (names.at(n).compare(f.Name, Qt::CaseInsensitive) == 0) {
                if (f.Source == -1)
                    values[n] = TrimBlanks(doc.CellText(table, f.CellNo));
                break;
            }
        if (step)
            step(CheckPhase::Reading);
        return true;
    });
}

} // namespace

int BodyCharacters(DocumentReader& doc)
{
    // The blank document's own words in the body section (headings, guidance, the budget table's
    // labels) are not the applicant's.
    static const int blank = [] {
        const auto bytes = ResourceBytes("word", "xms");
        try {
            OoxmlDocument empty(bytes.value_or(QByteArray()), QStringLiteral("xms"));
            return empty.SectionTextLength(empty.SectionsCount());
        } catch (const Failure&) {
            return 0;
        }
    }();
    return qMax(0, doc.SectionTextLength(doc.SectionsCount()) - blank);
}

QString BodyTooShortMessage(int bodyCharacters)
{
    return BodyTooShortText + QStringLiteral(" （当前正文 %1 字）").arg(bodyCharacters);
}

DocumentCheck CheckOpenDocument(DocumentReader& doc, int checks, ReadMode mode, const QStringList& names,
                                const CheckStep& step)
{
    DocumentCheck result;
    if (checks & CheckBodyLength) {
        result.bodyCharacters = BodyCharacters(doc);
        if (result.bodyCharacters <= MinBodyChars)
            result = {DocumentCheck::BodyTooShort, BodyTooShortMessage(result.bodyCharacters), result.bodyCharacters, {}, {}};
    }
    if (result.passed() && (checks & CheckCompleteness))
        Check(doc, result, step);
    if (result.passed() && mode == ReadValuesByName) {
        result.values = QStringList(names.size(), QStringLiteral("#"));
        ReadValues(doc, result.values, names, step);
    }
    return result;
}

DocumentCheck ReadAndCheckDocument(Twordqen& session, const QString& path, int checks, ReadMode mode,
                                   const QStringList& names, const CheckStep& step)
{
    DocumentCheck invalid{DocumentCheck::Invalid, InvalidDocumentText, -1, {}, {}};
    if (const Outcome opened = session.OpenDocument(path); !opened.ok()) {
        invalid.cause = opened;
        invalid.message += "\n" + Explain(opened);
        return invalid;
    }
    try {
        DocumentCheck result = CheckOpenDocument(*session.Doc, checks, mode, names, step);
        session.CloseDocument(false);
        return result;
    } catch (const std::exception& error) {
        if (session.DocumentAlive())
            session.CloseDocument(false);
        invalid.cause = CaughtOutcome(error);
        invalid.message += "\n" + Explain(invalid.cause);
        return invalid;
    }
}
