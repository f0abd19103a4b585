#pragma once
// The command line of pragant-cli: global options, one command and its arguments.

#include <QString>
#include <QStringList>

#include <optional>

// What the program's exit status tells a script.
enum ExitCode : int {
    ExitDone = 0,
    ExitDeviceError = 1,
    ExitUsage = 2,
    ExitNoDevice = 3,
    ExitLoginNotAnswered = 4,
    ExitFileError = 5,
};

struct CliOptions {
    QString device = QStringLiteral("usb");
    QString password;          // empty: the default password
    bool passwordGiven = false;
    int waitSeconds = 10;
    QString lang;              // empty: the language the GUI remembers
    int replyTimeoutMs = 5184; // per try of a query or set
    int pollIntervalMs = 100;  // between polls of the password command
    QString command;
    QStringList args;          // the command's own arguments
    bool json = false;         // status --json
    bool follow = false;       // events --follow
};

struct ParseResult {
    std::optional<CliOptions> options; // nothing: exit with `exitCode` after printing `message`
    int exitCode = ExitDone;
    QString message;                   // for standard output when exitCode is 0, else stderr
};

// argv without the program name.
ParseResult parseCommandLine(const QStringList& arguments);

extern const char kCliHelp[];
