#include "CliOptions.h"

#include <map>

const char kCliHelp[] =
    "usage: pragant-cli [options] COMMAND [arguments]\n"
    "\n"
    "Reads, writes and watches a Bisora communicator from scripts. It runs the same logic as\n"
    "the Pragant window, without showing it: the same field rules, the same Write gating and\n"
    "the same settings files.\n"
    "\n"
    "Commands:\n"
    "  read FILE            read the whole configuration and save it to FILE (\".ini\" is\n"
    "                       appended unless FILE ends in it); prints the name saved\n"
    "  write FILE           open the settings file FILE and write it all to the device;\n"
    "                       refused, naming the fields, when an account ID or Contact-ID\n"
    "                       code in it is invalid (when the Write button would be disabled)\n"
    "  status [--json]      ask for the status and print its 36 values (KEY=VALUE lines, or\n"
    "                       one JSON object) once all have come, or what came within --wait\n"
    "  events [--follow]    print the event-log lines as the event lists show them, each\n"
    "                       prefixed with its list (A or B), for --wait seconds; with\n"
    "                       --follow until interrupted\n"
    "  get KEY              print the value of one property, e.g. get CALL:ROUTE1.IP\n"
    "  set KEY VALUE        set one property; VALUE must be one the property's field takes\n"
    "  passwd OLD NEW       change the device password (NEW has 4 characters); logs in\n"
    "                       with OLD unless --password is given\n"
    "  report               send the test report now\n"
    "\n"
    "Options:\n"
    "  --device DEVICE      usb (a device on USB, the default), sim (the built-in simulated\n"
    "                       device) or socket:PATH (a device served on a local socket, e.g.\n"
    "                       by bisora-sim --listen PATH)\n"
    "  --password PW        the password to log in with (default 5827)\n"
    "  --wait SECONDS       how long to wait for the device (default 10); also how long\n"
    "                       status waits for its values and events listens\n"
    "  --lang en|hu|ro      the language of the window's texts for this run (not stored)\n"
    "  --reply-timeout MS   time per try of a query or set (default 5184)\n"
    "  --poll-interval MS   time between polls of the password answer (default 100)\n"
    "  --help               this text\n"
    "  --                   ends the options (for a VALUE that starts with -)\n"
    "\n"
    "Progress (\"Reading 120/252\") goes to standard error when it is a terminal.\n"
    "\n"
    "Exit status:\n"
    "  0  done\n"
    "  1  device error (\"Read error!\", \"Write error!\", no answer, refused)\n"
    "  2  usage error\n"
    "  3  no device within --wait\n"
    "  4  login not answered (a wrong password: the device stays silent)\n"
    "  5  file error (cannot read or write FILE, or invalid fields in it)\n"
    "\n"
    "Examples:\n"
    "  pragant-cli --device socket:/tmp/bisora.sock read site.ini\n"
    "  pragant-cli --password 1234 write template.ini\n"
    "  pragant-cli status --json\n"
    "  pragant-cli set CALL:ROUTE1.PORT 9000\n";

namespace {

struct CommandShape {
    int args;
    const char* usage;
};

const std::map<QString, CommandShape> kCommands = {
    {QStringLiteral("read"), {1, "read FILE"}},
    {QStringLiteral("write"), {1, "write FILE"}},
    {QStringLiteral("status"), {0, "status [--json]"}},
    {QStringLiteral("events"), {0, "events [--follow]"}},
    {QStringLiteral("get"), {1, "get KEY"}},
    {QStringLiteral("set"), {2, "set KEY VALUE"}},
    {QStringLiteral("passwd"), {2, "passwd OLD NEW"}},
    {QStringLiteral("report"), {0, "report"}},
};

ParseResult usageError(const QString& message)
{
    return {std::nullopt, ExitUsage,
            QStringLiteral("pragant-cli: %1\nTry 'pragant-cli --help'.").arg(message)};
}

std::optional<int> boundedInt(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

// A password goes into a command line of its own; a control character would end it early.
bool safePassword(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return true;
}

} // namespace

ParseResult parseCommandLine(const QStringList& arguments)
{
    CliOptions o;
    QStringList positional;
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        QString arg = arguments.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1String("--")) || arg.size() == 2) {
            if (arg == QLatin1String("--") && !optionsEnded)
                optionsEnded = true;
            else
                positional.append(arg);
            continue;
        }
        QString value;
        bool inlineValue = false;
        if (const qsizetype eq = arg.indexOf(QLatin1Char('=')); eq > 0) {
            value = arg.mid(eq + 1);
            arg.truncate(eq);
            inlineValue = true;
        }
        const auto takeValue = [&]() -> bool {
            if (inlineValue)
                return true;
            if (i + 1 >= arguments.size())
                return false;
            value = arguments.at(++i);
            return true;
        };
        const auto flag = [&](bool& target) {
            if (inlineValue)
                return false;
            target = true;
            return true;
        };

        if (arg == QLatin1String("--help")) {
            return {std::nullopt, ExitDone, QString::fromLatin1(kCliHelp)};
        } else if (arg == QLatin1String("--json")) {
            if (!flag(o.json))
                return usageError(QStringLiteral("--json takes no value"));
        } else if (arg == QLatin1String("--follow")) {
            if (!flag(o.follow))
                return usageError(QStringLiteral("--follow takes no value"));
        } else if (arg == QLatin1String("--device") || arg == QLatin1String("--password") ||
                   arg == QLatin1String("--wait") || arg == QLatin1String("--lang") ||
                   arg == QLatin1String("--reply-timeout") ||
                   arg == QLatin1String("--poll-interval")) {
            if (!takeValue())
                return usageError(QStringLiteral("%1 needs a value").arg(arg));
            if (arg == QLatin1String("--device")) {
                o.device = value;
            } else if (arg == QLatin1String("--password")) {
                if (!safePassword(value))
                    return usageError(QStringLiteral("the password holds a control character"));
                o.password = value;
                o.passwordGiven = true;
            } else if (arg == QLatin1String("--lang")) {
                if (value != QLatin1String("en") && value != QLatin1String("hu") &&
                    value != QLatin1String("ro"))
                    return usageError(QStringLiteral("--lang is en, hu or ro"));
                o.lang = value;
            } else {
                const bool wait = arg == QLatin1String("--wait");
                const auto number = wait ? boundedInt(value, 0, 86400)
                                         : boundedInt(value, 1, 600000);
                if (!number)
                    return usageError(QStringLiteral("bad %1 value '%2'").arg(arg, value));
                (wait ? o.waitSeconds
                      : arg == QLatin1String("--reply-timeout") ? o.replyTimeoutMs
                                                                 : o.pollIntervalMs) = *number;
            }
        } else {
            return usageError(QStringLiteral("unknown option %1").arg(arg));
        }
    }

    if (positional.isEmpty())
        return usageError(QStringLiteral("no command given"));
    o.command = positional.takeFirst();
    const auto shape = kCommands.find(o.command);
    if (shape == kCommands.end())
        return usageError(QStringLiteral("unknown command '%1'").arg(o.command));
    if (positional.size() != shape->second.args)
        return usageError(QStringLiteral("usage: pragant-cli [options] %1")
                              .arg(QString::fromLatin1(shape->second.usage)));
    o.args = positional;

    if (o.json && o.command != QLatin1String("status"))
        return usageError(QStringLiteral("--json goes with status only"));
    if (o.follow && o.command != QLatin1String("events"))
        return usageError(QStringLiteral("--follow goes with events only"));
    if ((o.command == QLatin1String("read") || o.command == QLatin1String("write")) &&
        o.args.at(0).isEmpty())
        return usageError(QStringLiteral("FILE is empty"));
    if (o.command == QLatin1String("passwd")) {
        if (!safePassword(o.args.at(0)) || !safePassword(o.args.at(1)))
            return usageError(QStringLiteral("a password holds a control character"));
        // The password dialog's own rule for a new password.
        if (o.args.at(1).size() != 4)
            return usageError(QStringLiteral("the new password must have exactly 4 characters"));
        if (!o.passwordGiven)
            o.password = o.args.at(0);
    }
    return {o, ExitDone, QString()};
}
