#include "QvtoolArguments.h"

namespace {

struct CommandSpec {
    const char* name;
    const char* usage;
    QStringList valued;  // options that take a value
    QStringList flags;   // options that take none
};

const QList<CommandSpec>& Commands()
{
    static const QList<CommandSpec> commands = {
        {"new", "qvtool new PATH\n"
                "qvtool new NEW.qvx --from OLD [--only GROUP,GROUP...]\n"
                "    a blank application document, or a new one from an earlier application (.qvx of\n"
                "    this program or of the Windows edition, or a .qvs package); groups: project,\n"
                "    applicant, units, members, abstract, body (all by default); what was not taken is\n"
                "    said on standard error",
         {"--from", "--only"}, {}},
        {"catalogue", "qvtool catalogue\n    the field catalogue, one record a line", {}, {}},
        {"pack", "qvtool pack DOC PKG\n    seal an application document into a submission package", {}, {}},
        {"check", "qvtool check PKG\n    the package's entry name, or why it is no personal package", {}, {}},
        {"unpack", "qvtool unpack PKG TARGET\n    the package's document at TARGET, which must not exist", {}, {}},
        {"list", "qvtool list PKG\n    each entry: name, sizes, CRC-32, whether its headers are enciphered", {}, {}},
        {"info", "qvtool info DOC\n    its format, sections and their form protection, tables, cells, characters", {}, {}},
        {"dump", "qvtool dump DOC\n    every field of the short form: name TAB value (\\r, \\n, \\\\ escaped)", {}, {}},
        {"set", "qvtool set DOC NAME=VALUE...\n"
                "    store values as the short-form screen does; a value its field's rule refuses is\n"
                "    refused, and nothing is written",
         {}, {}},
        {"verify", "qvtool verify DOC [--names NAME,NAME...]\n"
                   "qvtool verify DOC --all\n"
                   "    the completeness check: OK (and the values named), or its message; with --all\n"
                   "    every problem, one a line: field TAB label TAB message (exit 1 when there is one)",
         {"--names"}, {"--all"}},
        {"preview", "qvtool preview DOC OUT.pdf\n    the application as reviewers will see it, rendered by LibreOffice", {}, {}},
        {"convert", "qvtool convert OLD.qvx NEW.qvx\n    a Word 97-2003 application converted into a new OOXML document", {}, {}},
        {"intake", "qvtool intake FOLDER... --db REGISTER [--xlsx TABLE] [--csv TABLE] [--all]\n"
                   "qvtool intake --imap imaps://USER@HOST[:PORT]/MAILBOX --db REGISTER [...]\n"
                   "    the receiving office's intake (qvtool intake --help for all its options)",
         {}, {}},
    };
    return commands;
}

const CommandSpec* Spec(const QString& name)
{
    for (const CommandSpec& spec : Commands())
        if (name == QLatin1String(spec.name))
            return &spec;
    return nullptr;
}

} // namespace

QvtoolCommand ParseQvtoolArguments(const QStringList& arguments)
{
    QvtoolCommand command;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (!optionsEnded && a == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && (a == QLatin1String("--help") || a == QLatin1String("-h"))) {
            command.help = true;
            continue;
        }
        if (!optionsEnded && a.startsWith(QLatin1String("--"))) {
            const qsizetype eq = a.indexOf('=');
            const QString name = eq < 0 ? a : a.left(eq);
            const CommandSpec* spec = Spec(command.name);
            if (spec && spec->flags.contains(name) && eq < 0) {
                command.options.insert(name, QString());
            } else if (spec && spec->valued.contains(name)) {
                if (eq >= 0) {
                    command.options.insert(name, a.mid(eq + 1));
                } else if (i + 1 < arguments.size()) {
                    command.options.insert(name, arguments.at(++i));
                } else if (command.problem.isEmpty()) {
                    command.problem = QStringLiteral("选项 %1 缺少它的值").arg(name);
                }
            } else if (command.problem.isEmpty()) {
                command.problem = QStringLiteral("不认识的选项 %1").arg(a);
            }
            continue;
        }
        if (command.name.isEmpty()) {
            command.name = a;
            if (!Spec(a) && command.problem.isEmpty())
                command.problem = QStringLiteral("没有 %1 这个命令").arg(a);
        } else {
            command.operands << a;
        }
    }
    return command;
}

QString QvtoolUsage(const QString& command)
{
    if (const CommandSpec* spec = Spec(command))
        return QStringLiteral("usage: ") + QString::fromUtf8(spec->usage) + "\n";
    QString text = QStringLiteral("usage: qvtool COMMAND [ARGUMENTS] (qvtool COMMAND --help for one command)\n\n");
    for (const CommandSpec& spec : Commands())
        text += QString::fromUtf8(spec.usage) + "\n";
    text += QStringLiteral("\nExit status: 0 done, 1 refused (the reason on standard error), 2 bad usage.\n");
    return text;
}
