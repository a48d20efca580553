#include "ApplicationDocument.h"

#include "Failure.h"
#include "FieldCatalogue.h"
#include "Files.h"
#include "Resources.h"
#include "SafeWrite.h"
#include "ShortForm.h"
#include "Text.h"
#include "WordSession.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

QString ControlName(const Tfiledata& f)
{
    return "ed" + f.Name;
}

// The key of a document's journal: the file its path leads to.
QString Resolved(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

ApplicationDocument::ApplicationDocument(Twordqen& session, Tlockqen& lock, const QString& path, QObject* parent)
    : QObject(parent), LoadedValues(EmptyFieldValues()), EditValues(EmptyFieldValues()), m_session(session),
      m_lock(lock), m_path(path)
{
}

void ApplicationDocument::Open(const QString& path)
{
    LoadedDocument = {};
    LoadedValues = EditValues = EmptyFieldValues();
    const bool changed = path != m_path;
    m_path = path;
    if (changed)
        emit pathChanged(m_path);
}

Outcome ApplicationDocument::MoveTo(const QString& newPath)
{
    const std::optional<EditJournal> journal = Journal();
    const QString before = LoadedDocument.isValid() ? LoadedDocument.path : Resolved(m_path);
    const Outcome moved = RenameWithoutReplacing(m_path, newPath);
    if (!moved.written())
        return moved;
    m_path = newPath;
    // A link was renamed, not its target: the document and its journal stay where they are.
    const QString after = Resolved(newPath);
    if (after != before) {
        if (LoadedDocument.isValid())
            LoadedDocument.path = after;
        // Edits typed before the rename, and those to come, are kept under the new name.
        if (journal) {
            EditJournal moved = *journal;
            moved.document.path = after;
            if (::WriteJournal(moved).written())
                ::RemoveJournal(before);
        }
    }
    emit pathChanged(m_path);
    return moved;
}

void ApplicationDocument::ReadOwnFields(WordDocument& doc, FieldAccess& screen, const std::function<void()>& step)
{
    const QStringList values = ReadFieldValues(doc, step);
    for (int i = 0; i <= FieldHigh(); ++i) {
        const Tfiledata& f = FieldData().at(i);
        if (f.Source == -1) {
            LoadedValues[i] = values.at(i);
            screen.setText(ControlName(f), values.at(i));
            EditValues[i] = values.at(i);
        }
    }
}

Outcome ApplicationDocument::LoadShortForm(FieldAccess& screen, const std::function<void()>& step)
{
    LoadedDocument = {};
    if (const Outcome opened = m_session.OpenDocument(m_path); !opened.ok())
        return opened;
    WordDocument& doc = *m_session.Doc;
    try {
        ReadOwnFields(doc, screen, step);
    } catch (const std::exception&) {
        m_session.CloseDocument(false);
        throw;
    }
    m_session.CloseDocument(false);
    LoadedDocument = doc.Identity();
    return {};
}

// Why the file may not be written now, or nothing (target is the resolved path).
std::optional<StoreResult> ApplicationDocument::Refusal(const QString& target, const Interaction& with)
{
    if (target.isEmpty())
        return StoreResult{StoreStatus::Replaced, Outcome::failed(Cause::Replaced, m_path)};
    if (IsReadOnlyFile(target))
        return StoreResult{StoreStatus::ReadOnly, Outcome::failed(Cause::ReadOnly, m_path)};
    if (const Outcome free = m_lock.EnsureNotInUse(target, with.closeElsewhere); !free.ok())
        return StoreResult{StoreStatus::InUse, Outcome::failed(Cause::InUse, m_path)};
    return std::nullopt;
}

// Ends a store that wrote nothing: nothing reaches the file and LoadedValues keeps its entries.
StoreResult ApplicationDocument::Abandon(StoreStatus status, const Outcome& cause)
{
    if (m_session.DocumentAlive())
        m_session.CloseDocument(false);
    return {status, cause};
}

// Saves the open document with its changed cells; LoadedValues follows.
StoreResult ApplicationDocument::SaveOpenDocument(const Interaction& with)
{
    WordDocument& doc = *m_session.Doc;
    WriteValues(doc, EditValues, LoadedValues, with.step);
    const Outcome saved = m_session.CloseDocument(true);
    if (!saved.written())
        return {StoreStatus::Failed, saved};
    LoadedDocument = doc.Identity();
    LoadedValues = EditValues;
    return {StoreStatus::Stored, saved};
}

StoreResult ApplicationDocument::SaveShortForm(FieldAccess& screen, const Interaction& with)
{
    CompactMembers(screen);
    if (EditValues == LoadedValues)
        return {StoreStatus::NothingChanged, {}};
    // A link is written through: its target takes the values and keeps its permissions.
    const QString target = Resolved(m_path);
    // Another program may have replaced or rewritten the file since it was loaded: what it holds
    // now is somebody's, and the screen's values do not belong there.
    if (!target.isEmpty() && LoadedDocument.isValid() && !CurrentIdentity(target).sameAs(LoadedDocument))
        return {StoreStatus::Replaced, Outcome::failed(Cause::Replaced, m_path)};
    if (const auto refused = Refusal(target, with))
        return *refused;
    try {
        // A document that cannot be opened or unprotected takes no writes: the word processor
        // would refuse them in a protected document, and saving would put our protection over
        // someone else's.
        if (const Outcome opened = m_session.OpenDocument(target); !opened.ok())
            return Abandon(StoreStatus::Failed, opened);
        if (LoadedDocument.isValid() && !m_session.Doc->Identity().sameAs(LoadedDocument))
            return Abandon(StoreStatus::Replaced, Outcome::failed(Cause::Replaced, m_path));
        return SaveOpenDocument(with);
    } catch (const std::exception& error) {
        return Abandon(StoreStatus::Failed, CaughtOutcome(error));
    }
}

StoreResult ApplicationDocument::SetFields(FieldAccess& form, const QMap<int, QString>& values, const Judge& judge,
                                           const Interaction& with)
{
    const QString target = Resolved(m_path);
    if (target.isEmpty())
        return {StoreStatus::Failed, Outcome::failed(Cause::Missing, m_path)};
    if (const auto refused = Refusal(target, with))
        return *refused;
    try {
        if (const Outcome opened = m_session.OpenDocument(target); !opened.ok())
            return Abandon(StoreStatus::Failed, opened);
        ReadOwnFields(*m_session.Doc, form, {});
        LoadedDocument = m_session.Doc->Identity();
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            EditValues[it.key()] = it.value();
            form.setText(ControlName(FieldData().at(it.key())), it.value());
        }
        if (judge) {
            if (const Outcome wrong = judge(form); !wrong.ok())
                return Abandon(StoreStatus::Failed, wrong);
        }
        if (EditValues == LoadedValues)
            return Abandon(StoreStatus::NothingChanged, {});
        return SaveOpenDocument(with);
    } catch (const std::exception& error) {
        return Abandon(StoreStatus::Failed, CaughtOutcome(error));
    }
}

StoreResult ApplicationDocument::StoreAsNewDocument(FieldAccess& screen, const QString& path, const Interaction& with)
{
    if (!createxms(path))
        return {StoreStatus::Failed, Outcome::failed(Cause::WriteFailed, path)};
    const QString before = m_path;
    const std::optional<EditJournal> journal = Journal();
    m_path = path;
    try {
        if (const Outcome opened = m_session.OpenDocument(path); !opened.ok()) {
            m_path = before;
            return {StoreStatus::Failed, opened};
        }
        // What the new file holds is the blank document's: every value of the screen differs.
        WordDocument& doc = *m_session.Doc;
        WalkCatalogue(doc, [](int i) { return FieldData().at(i).Source == -1; }, [&](int i, int table) {
            LoadedValues[i] = NormalizeLineBreaks(doc.CellText(table, FieldData().at(i).CellNo));
            return true;
        });
        m_session.CloseDocument(false);
        LoadedDocument = doc.Identity();
    } catch (const std::exception& error) {
        m_path = before;
        return Abandon(StoreStatus::Failed, CaughtOutcome(error));
    }
    const StoreResult stored = SaveShortForm(screen, with);
    if (stored.ok()) {
        // The old file's journal is done with: its edits are in the new document.
        if (journal)
            ::RemoveJournal(journal->document.path);
        emit pathChanged(m_path);
    } else {
        m_path = before;
    }
    return stored;
}

Outcome ApplicationDocument::WriteJournal(const QMap<QString, QString>& changed)
{
    if (!LoadedDocument.isValid())
        return {};
    if (changed.isEmpty()) {
        RemoveJournal();
        return {};
    }
    return ::WriteJournal({LoadedDocument, QDateTime::currentDateTime(), changed});
}

std::optional<EditJournal> ApplicationDocument::Journal() const
{
    if (!LoadedDocument.isValid())
        return std::nullopt;
    return ReadJournal(LoadedDocument.path);
}

void ApplicationDocument::RemoveJournal()
{
    if (LoadedDocument.isValid())
        ::RemoveJournal(LoadedDocument.path);
}

QMap<QString, QString> ApplicationDocument::ChangedValues(const FieldAccess& screen) const
{
    QMap<QString, QString> changed;
    for (int i = 0; i <= FieldHigh() && i < LoadedValues.size(); ++i) {
        const Tfiledata& f = FieldData().at(i);
        const QString control = ControlName(f);
        if (f.Source != -1 || !screen.has(control))
            continue;
        const QString value = TrimBlanks(screen.text(control));
        if (value != LoadedValues.at(i))
            changed.insert(f.Name, value);
    }
    return changed;
}

QMap<QString, QString> ApplicationDocument::ValuesToRestore(const EditJournal& journal) const
{
    QMap<QString, QString> restore;
    if (!journal.document.sameAs(LoadedDocument))
        return restore;
    for (int i = 0; i <= FieldHigh() && i < LoadedValues.size(); ++i) {
        const Tfiledata& f = FieldData().at(i);
        if (f.Source == -1 && journal.values.contains(f.Name) && journal.values.value(f.Name) != LoadedValues.at(i))
            restore.insert(f.Name, journal.values.value(f.Name));
    }
    return restore;
}
