#pragma once
// qvtool's command line as getopt-style tools take theirs: the command, then its operands and
// options in any order ("--name VALUE" or "--name=VALUE"; "--" ends the options), and --help
// anywhere. What each command takes, and its help, are written here once.
#include <QMap>
#include <QString>
#include <QStringList>

struct QvtoolCommand {
    QString name;                    // "new", "verify", …; empty when none was given
    QStringList operands;            // in their order
    QMap<QString, QString> options;  // "--from" → its value; a flag → ""
    bool help = false;
    QString problem;                 // why the line is bad usage; empty when it is not
};

QvtoolCommand ParseQvtoolArguments(const QStringList& arguments);
// Every command's usage, or one command's with what it does.
QString QvtoolUsage(const QString& command = {});
