#pragma once
// ApplicationDocument: the open application, owned in one place. It holds the document's path
// (CurDocPath), the file and bytes it was last read from or stored into (LoadedDocument), the
// values read (LoadedValues) and those being edited (EditValues), and the journal of edits not
// yet stored. A change of path goes through it: the file is renamed, the journal follows, and
// pathChanged tells the windows. It talks to nobody: each operation answers what happened, and
// takes from its caller the progress and the questions only a person can answer.
#include "DocumentIdentity.h"
#include "DocumentLock.h"
#include "EditJournal.h"
#include "FieldAccess.h"
#include "Outcome.h"

#include <QMap>
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

class Twordqen;
class WordDocument;

// What a store takes from its caller.
struct Interaction {
    std::function<void()> step;            // once per catalogue record while cells are written
    CloseElsewhereQuestion closeElsewhere;  // another program holds the file
};

enum class StoreStatus {
    Stored,          // the changed values are in the document
    NothingChanged,  // nothing differed: the file was not touched
    Replaced,        // the file is gone, or is no longer the one loaded
    ReadOnly,        // the file may not be written
    InUse,           // another program holds it and the user gave up
    Failed,          // it could not be read or written
};
struct StoreResult {
    StoreStatus status = StoreStatus::Stored;
    // Why not; with Stored, NotDurable when the file is written but its folder could not be
    // flushed (the values are in it, and the document is the one written).
    Outcome cause;
    bool ok() const { return status == StoreStatus::Stored || status == StoreStatus::NothingChanged; }
};

class ApplicationDocument : public QObject {
    Q_OBJECT
public:
    ApplicationDocument(Twordqen& session, Tlockqen& lock, const QString& path = {}, QObject* parent = nullptr);

    const QString& CurDocPath() const { return m_path; }
    Twordqen& session() const { return m_session; }
    Tlockqen& lock() const { return m_lock; }

    // Another document from now on: nothing of the last one is kept.
    void Open(const QString& path);
    // The automatic naming: the file goes to newPath (never over a file there), the journal
    // follows it, and pathChanged is announced. None, or why the file could not be renamed.
    Outcome MoveTo(const QString& newPath);

    // Fills the screen, LoadedValues and EditValues from the document: None, or why the file is
    // no legal application (the caller says so and closes the screen). A failure while reading
    // the cells of an application throws and ends the load. step runs once per record.
    Outcome LoadShortForm(FieldAccess& screen, const std::function<void()>& step = {});
    // Writes the changed EditValues (and their mirrors) into the file the short form was loaded
    // from, through a link to its target, restores the protection and saves. Unless the result
    // is ok, nothing was written and LoadedValues is unchanged, so the next store writes the
    // same changes.
    StoreResult SaveShortForm(FieldAccess& screen, const Interaction& with);
    // Stores values (by catalogue record) with one opening: the own fields are read into form,
    // LoadedValues and EditValues, the values put over them, judge may refuse the result (an
    // Outcome that is not ok), and the changed cells are written. The command-line tool's "set".
    using Judge = std::function<Outcome(const FieldAccess& form)>;
    StoreResult SetFields(FieldAccess& form, const QMap<int, QString>& values, const Judge& judge,
                          const Interaction& with);
    // The screen's values as a new document at path (which the user chose to replace if it
    // exists): the blank document, then every value. It then is this document.
    StoreResult StoreAsNewDocument(FieldAccess& screen, const QString& path, const Interaction& with);

    // The edits the screen holds that the document does not, kept until they are stored.
    Outcome WriteJournal(const QMap<QString, QString>& changed);
    std::optional<EditJournal> Journal() const;
    void RemoveJournal();
    // The own fields whose value on the screen (trimmed, as a store takes it) differs from
    // LoadedValues, by catalogue name.
    QMap<QString, QString> ChangedValues(const FieldAccess& screen) const;
    // The journaled values that still differ from LoadedValues; a journal of another document
    // (another identity) has none.
    QMap<QString, QString> ValuesToRestore(const EditJournal& journal) const;

    DocumentIdentity LoadedDocument;
    QStringList LoadedValues;  // entry i belongs to catalogue record i
    QStringList EditValues;

signals:
    void pathChanged(const QString& path);

private:
    void ReadOwnFields(WordDocument& doc, FieldAccess& screen, const std::function<void()>& step);
    std::optional<StoreResult> Refusal(const QString& target, const Interaction& with);
    StoreResult SaveOpenDocument(const Interaction& with);
    StoreResult Abandon(StoreStatus status, const Outcome& cause);

    Twordqen& m_session;
    Tlockqen& m_lock;
    QString m_path;
};
