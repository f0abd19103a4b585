#include "CliSession.h"

#include "Cp1250.h"
#include "FieldCodec.h"
#include "FieldColour.h"
#include "Main.h"
#include "SettingsFile.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <unistd.h>

namespace {

std::atomic<bool> interrupted{false};

constexpr int kCheckInterval = 20; // ms between tests of a waited-for condition
constexpr int kSetTries = 3;       // as a write-all sends each key

void printOut(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString shown(const QByteArray& propertyText) { return fromCp1250(propertyText); }

// The device's own words for a refusal: "UNKNOWN PROPERTY!" before the closing "\r\nOK".
QString refusalOf(const QByteArray& reply)
{
    const qsizetype end = reply.indexOf("\r\nOK");
    if (end <= 0 || reply.at(end - 1) != '!')
        return QString();
    return shown(reply.left(end).trimmed());
}

} // namespace

int failure(int code, const QString& message)
{
    std::fputs(("pragant-cli: " + message + "\n").toLocal8Bit().constData(), stderr);
    return code;
}

CliSession::CliSession(CliOptions options, DeviceChoice device)
    : m_options(std::move(options)), m_device(std::move(device))
{
    m_dialogs.password = toCp1250(m_options.password.isEmpty()
                                      ? QString::fromLatin1(TFormMain::kDefaultPassword)
                                      : m_options.password);
    ExchangeTiming timing;
    timing.replyTimeout = m_options.replyTimeoutMs;
    timing.pollInterval = m_options.pollIntervalMs;
    m_window = std::make_unique<TFormMain>(
        TFormMain::Options{m_device.platform, &m_dialogs, timing});

    QObject::connect(m_window.get(), &TFormMain::loginFinished, m_window.get(), [this](bool ok) {
        m_loginDone = true;
        m_loginAccepted = ok;
    });
    // Records may come before the login is over: the first update asks for them at once.
    QObject::connect(m_window.get(), &TFormMain::statusRecordApplied, m_window.get(),
                     [this](const QByteArray& key) {
                         if (m_window->statusDescs().Find(key))
                             m_statusKeys.insert(key);
                     });
    QObject::connect(m_window.get(), &TFormMain::windowStateUpdated, m_window.get(),
                     [this](const QString& reason) {
                         if (reason == QLatin1String("OpenFile"))
                             m_invalidAtOpen = m_window->invalidGatedFields();
                     });
    if (m_options.command == QLatin1String("events"))
        watchEvents();
    if (!m_options.lang.isEmpty())
        m_window->SetLanguage(m_options.lang, false);
}

CliSession::~CliSession()
{
    if (m_window)
        m_window->close();
}

void CliSession::interrupt() { interrupted = true; }

int CliSession::run()
{
    if (m_options.command == QLatin1String("write")) {
        // A missing file would read as empty fields: nothing of that may reach a device.
        const QFileInfo file(m_options.args.at(0));
        if (!file.isFile() || !file.isReadable())
            return failure(ExitFileError,
                           QStringLiteral("cannot read the settings file %1").arg(file.filePath()));
    }

    if (const int code = connectDevice(); code != ExitDone)
        return code;

    const struct {
        const char* name;
        int (CliSession::*run)();
    } commands[] = {
        {"read", &CliSession::readCommand},     {"write", &CliSession::writeCommand},
        {"status", &CliSession::statusCommand}, {"events", &CliSession::eventsCommand},
        {"get", &CliSession::getCommand},       {"set", &CliSession::setCommand},
        {"passwd", &CliSession::passwdCommand}, {"report", &CliSession::reportCommand},
    };
    for (const auto& c : commands)
        if (m_options.command == QLatin1String(c.name))
            return (this->*c.run)();
    return failure(ExitUsage, QStringLiteral("unknown command '%1'").arg(m_options.command));
}

bool CliSession::waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const QDeadlineTimer deadline =
        timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    if (done())
        return true;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired() || interrupted)
            loop.quit();
    });
    check.start(kCheckInterval);
    loop.exec();
    return done();
}

int CliSession::connectDevice()
{
    m_window->startWithoutWindow();
    const QDeadlineTimer deadline(qint64(m_options.waitSeconds) * 1000);
    // Once a login has begun it runs to its end (at most five bounded attempts), even past
    // the deadline: its answer decides between "no device" and "login not answered".
    waitUntil([&] { return m_loginDone || (deadline.hasExpired() && m_dialogs.passwordDialogs == 0); },
              -1);
    if (!m_loginDone && interrupted)
        return failure(ExitDeviceError, QStringLiteral("interrupted"));
    if (!m_loginDone)
        return failure(ExitNoDevice, QStringLiteral("no device attached within %1 s (device %2)")
                                         .arg(m_options.waitSeconds)
                                         .arg(m_options.device));
    if (!m_loginAccepted)
        return failure(ExitLoginNotAnswered,
                       QStringLiteral("login not answered: the device stayed silent to the "
                                      "password in five attempts (wrong --password?)"));
    return ExitDone;
}

void CliSession::watchProgress(const char* verb)
{
    if (!::isatty(STDERR_FILENO))
        return;
    auto* bar = m_window->findChild<QProgressBar*>(QStringLiteral("ProgressBarRW"));
    if (!bar)
        return;
    QObject::connect(bar, &QProgressBar::valueChanged, m_window.get(), [bar, verb](int value) {
        std::fprintf(stderr, "\r%s %d/%d", verb, value, bar->maximum());
        std::fflush(stderr);
    });
}

bool CliSession::messageShown(const char* text) const
{
    return m_dialogs.messages.contains(QString::fromLatin1(text));
}

int CliSession::readCommand()
{
    auto* read = m_window->findChild<QPushButton*>(QStringLiteral("btnRead"));
    if (!read || !read->isEnabled())
        return failure(ExitDeviceError, QStringLiteral("Read is not possible now (device detached?)"));
    watchProgress("Reading");
    read->click(); // the whole read-all runs inside
    if (::isatty(STDERR_FILENO))
        std::fputc('\n', stderr);
    if (messageShown("Read error!"))
        return failure(ExitDeviceError,
                       QStringLiteral("Read error! The device did not answer every property "
                                      "query in time, or sent a reply that could not be used; "
                                      "nothing was saved."));

    m_dialogs.filePath = m_options.args.at(0);
    m_window->SaveSettingsFile();
    if (!m_dialogs.errors.isEmpty())
        return failure(ExitFileError, m_dialogs.errors.constFirst());
    printOut(withIniSuffix(m_options.args.at(0)));
    return ExitDone;
}

int CliSession::writeCommand()
{
    m_dialogs.filePath = m_options.args.at(0);
    m_window->OpenSettingsFile();
    auto* write = m_window->findChild<QPushButton*>(QStringLiteral("btnWrite"));
    if (!write)
        return failure(ExitDeviceError, QStringLiteral("the window has no Write button"));
    if (!write->isEnabled()) {
        if (!m_invalidAtOpen.isEmpty())
            return failure(ExitFileError,
                           QStringLiteral("refusing to write %1: invalid fields: %2")
                               .arg(m_options.args.at(0), m_invalidAtOpen.join(QStringLiteral(", "))));
        return failure(ExitDeviceError, QStringLiteral("Write is not possible now (device detached?)"));
    }
    watchProgress("Writing");
    write->click(); // the whole write-all runs inside
    if (::isatty(STDERR_FILENO))
        std::fputc('\n', stderr);
    if (messageShown("Write error!"))
        return failure(ExitDeviceError,
                       QStringLiteral("Write error! The device did not answer a property set in "
                                      "three tries; the properties before it were written."));
    return ExitDone;
}

int CliSession::statusCommand()
{
    const ControlDescList& descs = m_window->statusDescs();
    const auto allCame = [&] { return m_statusKeys.size() == descs.count(); };
    waitUntil(allCame, m_options.waitSeconds * 1000);

    QJsonObject json;
    QStringList lines;
    for (int i = 0; i < descs.count(); ++i) {
        const ControlDesc& d = descs.at(i);
        if (!m_statusKeys.contains(d.key))
            continue;
        const QString value = shown(GetControlValue(d.control));
        json.insert(QString::fromLatin1(d.key), value);
        lines.append(QString::fromLatin1(d.key) + QLatin1Char('=') + value);
    }
    if (m_options.json)
        printOut(QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Indented)).trimmed());
    else if (!lines.isEmpty())
        printOut(lines.join(QLatin1Char('\n')));
    if (!allCame())
        return failure(ExitDeviceError, QStringLiteral("only %1 of %2 status values came within %3 s")
                                            .arg(m_statusKeys.size())
                                            .arg(descs.count())
                                            .arg(m_options.waitSeconds));
    return ExitDone;
}

void CliSession::watchEvents()
{
    // Each list prints what it has gained since last time; the detach reset empties both.
    const struct {
        const char* name;
        const char* prefix;
    } lists[] = {{"memoEventList1", "A "}, {"memoEventList2", "B "}};
    for (const auto& l : lists) {
        auto* memo = m_window->findChild<QPlainTextEdit*>(QString::fromLatin1(l.name));
        if (!memo)
            continue;
        auto printed = std::make_shared<int>(0);
        const QString prefix = QString::fromLatin1(l.prefix);
        QObject::connect(memo, &QPlainTextEdit::textChanged, m_window.get(), [memo, printed, prefix] {
            QTextDocument* doc = memo->document();
            const int lines = doc->isEmpty() ? 0 : doc->blockCount();
            if (lines < *printed)
                *printed = 0;
            for (; *printed < lines; ++*printed)
                printOut(prefix + doc->findBlockByNumber(*printed).text());
        });
    }
}

int CliSession::eventsCommand()
{
    waitUntil([] { return false; }, m_options.follow ? -1 : m_options.waitSeconds * 1000);
    return ExitDone;
}

int CliSession::getCommand()
{
    const QByteArray key = toCp1250(m_options.args.at(0));
    if (!m_window->settingsDescs().Find(key))
        return failure(ExitUsage, QStringLiteral("unknown property %1").arg(m_options.args.at(0)));
    const QByteArray reply = m_window->exchange().QueryProperty(key);
    if (reply == "0")
        return failure(ExitDeviceError, QStringLiteral("Read error! The device did not answer "
                                                       "the query in three tries."));
    const qsizetype eq = reply.indexOf('=');
    const qsizetype end = reply.indexOf("\r\nOK");
    if (eq >= 0 && end > eq && reply.left(eq) == key) {
        printOut(shown(reply.mid(eq + 1, end - eq - 1)));
        return ExitDone;
    }
    if (const QString refusal = refusalOf(reply); !refusal.isEmpty())
        return failure(ExitDeviceError, QStringLiteral("the device refused: %1").arg(refusal));
    return failure(ExitDeviceError,
                   QStringLiteral("Read error! The reply was not one for %1.").arg(m_options.args.at(0)));
}

int CliSession::setCommand()
{
    const QString& keyText = m_options.args.at(0);
    const QString& valueText = m_options.args.at(1);
    const QByteArray key = toCp1250(keyText);
    const ControlDesc* desc = m_window->settingsDescs().Find(key);
    if (!desc || !desc->control)
        return failure(ExitUsage, QStringLiteral("unknown property %1").arg(keyText));
    if (!fitsCp1250(valueText) || valueText.contains(QLatin1Char('\r')) ||
        valueText.contains(QLatin1Char('\n')))
        return failure(ExitUsage, QStringLiteral("the value cannot be sent: only code page 1250 "
                                                 "text without line breaks"));

    // The value goes through the property's field, as a read or an opened file would put it
    // there, and what the field then holds is what is sent: so only what the window could
    // write reaches the device.
    QWidget* field = desc->control;
    const QByteArray value = toCp1250(valueText);
    SetControlValue(field, value);
    const QByteArray held = GetControlValue(field);
    if (held != value)
        return failure(ExitUsage, QStringLiteral("%1 (%2) cannot hold '%3'")
                                      .arg(keyText, field->objectName(), valueText));
    if (m_window->invalidGatedFields().contains(field->objectName()))
        return failure(ExitUsage, QStringLiteral("'%1' is not valid for %2 (%3)")
                                      .arg(valueText, keyText, field->objectName()));

    QByteArray reply;
    for (int i = 0; i < kSetTries && reply.isEmpty(); ++i)
        reply = m_window->exchange().SetProperty(key, held);
    if (reply.isEmpty())
        return failure(ExitDeviceError, QStringLiteral("Write error! The device did not answer "
                                                       "the set in three tries."));
    if (const QString refusal = refusalOf(reply); !refusal.isEmpty())
        return failure(ExitDeviceError, QStringLiteral("the device refused: %1").arg(refusal));
    return ExitDone;
}

int CliSession::passwdCommand()
{
    const QByteArray oldPassword = toCp1250(m_options.args.at(0));
    const QByteArray newPassword = toCp1250(m_options.args.at(1));
    if (m_window->PasswordCommand(oldPassword, newPassword) != 1)
        return failure(ExitDeviceError, QStringLiteral("the device did not answer the password "
                                                       "change (wrong OLD password?)"));
    m_window->setPassword(newPassword);
    return ExitDone;
}

int CliSession::reportCommand()
{
    auto* report = m_window->findChild<QPushButton*>(QStringLiteral("btnSendReport"));
    if (!report || !report->isEnabled())
        return failure(ExitDeviceError, QStringLiteral("\"Send report now\" is not available"));
    // What the button's handler sends; sent here so that its answer can be told.
    if (m_window->exchange().SetProperty("MSTST:STATE.TS", "0").isEmpty())
        return failure(ExitDeviceError, QStringLiteral("the device did not answer the test report"));
    return ExitDone;
}
