#pragma once
// The values one submission reads from the document: the applicant and the project category
// name the files; for e-mail, the unit, faculty, category and address fill the message.
#include <QString>
#include <QStringList>

struct SubmissionValues {
    QString applicant = QStringLiteral("#");     // xm1
    QString categoryCode = QStringLiteral("#");  // xmlbdm
    QString unit = QStringLiteral("#");          // cddw1
    QString faculty = QStringLiteral("#");       // szxy
    QString category = QStringLiteral("#");      // xmlb
    QString contact = QStringLiteral("#");       // lxr: no field of this edition, so always "#"
    QString email = QStringLiteral("#");         // email

    // The names asked for, in the order the values come back: the first two for a copy, all
    // seven for e-mail.
    static QStringList Names(bool forMail)
    {
        const QStringList all = {"xm1", "xmlbdm", "cddw1", "szxy", "xmlb", "lxr", "email"};
        return forMail ? all : all.mid(0, 2);
    }
    // From the values read for Names(), "#" where a name has no value.
    static SubmissionValues From(const QStringList& values)
    {
        SubmissionValues v;
        QString* fields[] = {&v.applicant, &v.categoryCode, &v.unit, &v.faculty, &v.category, &v.contact, &v.email};
        for (int i = 0; i < 7 && i < values.size(); ++i)
            *fields[i] = values.at(i);
        return v;
    }
};
