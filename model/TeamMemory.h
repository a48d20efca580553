#pragma once
// The people of the applications this program has opened or stored, so that a member typed
// once is offered again: name, title, identity number, unit and division of work, newest first.
// Kept in a small SQLite file in the user's data folder that only the user may read (0600);
// never sent anywhere, never written to a log. A person is known by their identity number, and
// their record follows the newest application that names them.
#include <QList>
#include <QString>

struct RememberedMember {
    QString name, title, idNumber, unit, work;
};

class TeamMemory {
public:
    // The data folder's file ("members.sqlite").
    static QString DefaultPath();
    explicit TeamMemory(const QString& path = DefaultPath());

    // Records the filled rows; false when the file cannot be written (the rows are then simply
    // not offered later: remembering is a convenience).
    bool remember(const QList<RememberedMember>& members) const;
    // At most limit people, the most recently seen first.
    QList<RememberedMember> people(int limit = 500) const;
    // Forgets everyone; true when nothing is remembered afterwards.
    bool clear() const;

private:
    QString m_path;
};
