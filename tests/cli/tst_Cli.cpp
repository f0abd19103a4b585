// pragant-cli as a child process: against its built-in simulated device and against a
// bisora-sim child serving a temporary socket. Every wait is for an exit or an output line.
#include "GuiRig.h"
#include "SettingsSchema.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

QString keyOf(const char* field)
{
    for (const auto& b : settingsSchema())
        if (b.field == field)
            return QString::fromStdString(b.key);
    return QString();
}

// bisora-sim on a socket in a temporary folder, its standard input open for commands.
class SimServer
{
public:
    explicit SimServer(const QString& dir, const QStringList& extra = {})
        : path(dir + QStringLiteral("/bisora.sock"))
    {
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(QStringLiteral(BISORA_SIM_PATH),
                      QStringList{QStringLiteral("--listen"), path, QStringLiteral("--no-timing"),
                                  QStringLiteral("--no-live")} + extra);
        ready = waitForLine(QStringLiteral("serving at"));
    }
    ~SimServer()
    {
        process.write("quit\n");
        if (!process.waitForFinished(3000))
            process.kill();
        process.waitForFinished(1000);
    }
    QString device() const { return QStringLiteral("socket:") + path; }

    // One control command; its answer line.
    QString command(const QByteArray& line)
    {
        process.readAllStandardOutput();
        process.write(line + "\n");
        QString answer;
        return waitForLine(QString(), &answer) ? answer : QString();
    }
    bool waitForLine(const QString& containing, QString* line = nullptr)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            while (process.canReadLine()) {
                const QString l = QString::fromLocal8Bit(process.readLine()).trimmed();
                if (l.contains(containing)) {
                    if (line)
                        *line = l;
                    return true;
                }
            }
            if (!process.waitForReadyRead(200) && process.state() != QProcess::Running)
                return false;
        }
        return false;
    }

    QString path;
    QProcess process;
    bool ready = false;
};

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void usageErrors_data();
    void usageErrors();
    void helpDocumentsEverything();
    void readSavesWhatTheGuiSaves_data();
    void readSavesWhatTheGuiSaves();
    void writeRefusesInvalidFields_data();
    void writeRefusesInvalidFields();
    void writeThenGet();
    void writeOfMissingFileIsFileError();
    void readErrorIsDeviceError();
    void noDeviceIsExit3();
    void wrongPasswordIsExit4();
    void statusJsonHoldsAllKeys_data();
    void statusJsonHoldsAllKeys();
    void setGoesThroughTheField_data();
    void setGoesThroughTheField();
    void eventsShowTaggedLines_data();
    void eventsShowTaggedLines();
    void passwdChangesTheLogin();
    void reportIsAnswered();

private:
    CliRun cli(const QStringList& args, int timeoutMs = 30000);
    QTemporaryDir m_dir;
    QString m_guiFile; // what the GUI saves after a read-all of a fresh simulated device
};

CliRun TestCli::cli(const QStringList& args, int timeoutMs)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    p.setProcessEnvironment(env);
    // Short time-outs: silence costs milliseconds, a login refusal a few seconds.
    p.start(QStringLiteral(PRAGANT_CLI_PATH),
            QStringList{QStringLiteral("--reply-timeout"), QStringLiteral("300"),
                        QStringLiteral("--poll-interval"), QStringLiteral("10")} + args);
    CliRun run;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(p.readAllStandardError());
    return run;
}

void TestCli::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());

    // The reference: the window itself reads the simulated device and saves the page.
    GuiRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.waitAttached(true));
    rig.click("btnRead");
    QVERIFY(rig.dialogs.messages.isEmpty());
    m_guiFile = m_dir.filePath(QStringLiteral("gui.ini"));
    rig.dialogs.savePath = m_guiFile;
    rig.window->SaveSettingsFile();
    QVERIFY(rig.dialogs.errors.isEmpty());
    QVERIFY(QFile::exists(m_guiFile));
}

void TestCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no command") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"fetch"};
    QTest::newRow("read without file") << QStringList{"read"};
    QTest::newRow("set without value") << QStringList{"set", "CALL:ROUTE1.PORT"};
    QTest::newRow("json with events") << QStringList{"events", "--json"};
    QTest::newRow("follow with status") << QStringList{"status", "--follow"};
    QTest::newRow("bad language") << QStringList{"--lang", "de", "status"};
    QTest::newRow("bad wait") << QStringList{"--wait", "soon", "status"};
    QTest::newRow("unknown option") << QStringList{"--fast", "status"};
    QTest::newRow("bad device") << QStringList{"--device", "serial", "status"};
    QTest::newRow("new password too short") << QStringList{"passwd", "5827", "123"};
    QTest::newRow("line break in password") << QStringList{"--password", "58\n27", "status"};
    QTest::newRow("unknown property") << QStringList{"--device", "sim", "get", "NO:SUCH.KEY"};
}

void TestCli::usageErrors()
{
    QFETCH(QStringList, args);
    const CliRun run = cli(args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.startsWith(QLatin1String("pragant-cli: ")), qPrintable(run.err));
}

void TestCli::helpDocumentsEverything()
{
    const CliRun run = cli({QStringLiteral("--help")});
    QCOMPARE(run.exitCode, 0);
    for (const char* word : {"read FILE", "write FILE", "status [--json]", "events [--follow]",
                             "get KEY", "set KEY VALUE", "passwd OLD NEW", "report", "--device",
                             "--password", "--wait", "--lang", "socket:PATH", "Exit status",
                             "3  no device", "4  login not answered", "5  file error"})
        QVERIFY2(run.out.contains(QLatin1String(word)), word);
}

void TestCli::readSavesWhatTheGuiSaves_data()
{
    QTest::addColumn<bool>("socket");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("saved");
    QTest::newRow("sim, suffix appended") << false << "a" << "a.ini";
    QTest::newRow("sim, other suffix kept") << false << "b.txt" << "b.txt.ini";
    QTest::newRow("socket, upper-case suffix kept") << true << "c.INI" << "c.INI";
}

void TestCli::readSavesWhatTheGuiSaves()
{
    QFETCH(bool, socket);
    QFETCH(QString, name);
    QFETCH(QString, saved);
    QTemporaryDir dir;
    std::unique_ptr<SimServer> server;
    QString device = QStringLiteral("sim");
    if (socket) {
        server = std::make_unique<SimServer>(dir.path());
        QVERIFY(server->ready);
        device = server->device();
    }
    const CliRun run = cli({"--device", device, "read", dir.filePath(name)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.trimmed(), dir.filePath(saved));

    QFile ours(dir.filePath(saved)), gui(m_guiFile);
    QVERIFY(ours.open(QIODevice::ReadOnly));
    QVERIFY(gui.open(QIODevice::ReadOnly));
    const QByteArray bytes = ours.readAll();
    QCOMPARE(bytes, gui.readAll());
    QVERIFY(bytes.startsWith("[Settings]\r\n"));
    QCOMPARE(bytes.count("\r\n"), 121);
}

void TestCli::writeRefusesInvalidFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::newRow("account ID not hex") << "edSIM1AccountID1" << "12G4";
    QTest::newRow("account ID too long") << "edSIM2AccountID2" << "12345";
    QTest::newRow("input Contact-ID code") << "edCIDCode4" << "1X0";
}

void TestCli::writeRefusesInvalidFields()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QTemporaryDir dir;
    SimServer server(dir.path());
    QVERIFY(server.ready);

    QFile gui(m_guiFile);
    QVERIFY(gui.open(QIODevice::ReadOnly));
    QByteArray text = gui.readAll();
    const QByteArray entry = field.toLatin1() + "=";
    const qsizetype at = text.indexOf("\r\n" + entry);
    QVERIFY(at >= 0);
    const qsizetype end = text.indexOf("\r\n", at + 2);
    text.replace(at + 2, end - at - 2, entry + value.toLatin1());
    const QString file = dir.filePath(QStringLiteral("bad.ini"));
    QFile bad(file);
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(text);
    bad.close();

    const CliRun run = cli({"--device", server.device(), "write", file});
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(run.err.contains(field), qPrintable(run.err));
    // Nothing was sent: the device still holds its own value.
    const QString key = keyOf(field.toLatin1().constData());
    QVERIFY(!key.isEmpty());
    QVERIFY(!server.command("get " + key.toLatin1()).contains(value));
}

void TestCli::writeThenGet()
{
    QTemporaryDir dir;
    SimServer server(dir.path());
    QVERIFY(server.ready);
    QFile gui(m_guiFile);
    QVERIFY(gui.open(QIODevice::ReadOnly));
    QByteArray text = gui.readAll();
    text.replace("\r\nedSIM1Port2=", "\r\nedSIM1Port2=4711");
    const QString file = dir.filePath(QStringLiteral("site.ini"));
    QFile site(file);
    QVERIFY(site.open(QIODevice::WriteOnly));
    site.write(text);
    site.close();

    const CliRun write = cli({"--device", server.device(), "write", file});
    QCOMPARE(write.exitCode, 0);
    const QString key = keyOf("edSIM1Port2");
    QCOMPARE(server.command("get " + key.toLatin1()), key + "=4711");
    const CliRun get = cli({"--device", server.device(), "get", key});
    QCOMPARE(get.exitCode, 0);
    QCOMPARE(get.out, QStringLiteral("4711\n"));
}

void TestCli::writeOfMissingFileIsFileError()
{
    const CliRun run = cli({"--device", "sim", "write", m_dir.filePath(QStringLiteral("none.ini"))});
    QCOMPARE(run.exitCode, 5);
    QVERIFY(run.err.contains(QLatin1String("none.ini")));
}

void TestCli::readErrorIsDeviceError()
{
    QTemporaryDir dir;
    SimServer server(dir.path());
    QVERIFY(server.ready);
    // Replies come after every try of a query has given up; the login waits long enough.
    QCOMPARE(server.command("delay 1500"), QStringLiteral("ok"));
    const CliRun run = cli({"--device", server.device(), "--poll-interval", "100", "read",
                            dir.filePath(QStringLiteral("x"))});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QLatin1String("Read error!")), qPrintable(run.err));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.ini"))));
}

void TestCli::noDeviceIsExit3()
{
    QElapsedTimer clock;
    clock.start();
    const CliRun run = cli({"--device", "socket:" + m_dir.filePath(QStringLiteral("nobody.sock")),
                            "--wait", "1", "status"});
    QCOMPARE(run.exitCode, 3);
    QVERIFY(clock.elapsed() >= 1000);
    QVERIFY(run.err.contains(QLatin1String("no device")));
}

void TestCli::wrongPasswordIsExit4()
{
    QTemporaryDir dir;
    SimServer server(dir.path(), {QStringLiteral("--password"), QStringLiteral("1111")});
    QVERIFY(server.ready);
    const CliRun wrong = cli({"--device", server.device(), "status"});
    QCOMPARE(wrong.exitCode, 4);
    QVERIFY(wrong.err.contains(QLatin1String("login not answered")));
    const CliRun right = cli({"--device", server.device(), "--password", "1111", "status"});
    QCOMPARE(right.exitCode, 0);
}

void TestCli::statusJsonHoldsAllKeys_data()
{
    QTest::addColumn<bool>("socket");
    QTest::newRow("sim") << false;
    QTest::newRow("socket") << true;
}

void TestCli::statusJsonHoldsAllKeys()
{
    QFETCH(bool, socket);
    QTemporaryDir dir;
    std::unique_ptr<SimServer> server;
    QString device = QStringLiteral("sim");
    if (socket) {
        server = std::make_unique<SimServer>(dir.path());
        QVERIFY(server->ready);
        QCOMPARE(server->command("supply 13100"), QStringLiteral("ok"));
        device = server->device();
    }
    const CliRun run = cli({"--device", device, "status", "--json"});
    QCOMPARE(run.exitCode, 0);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject status = doc.object();
    QCOMPARE(status.size(), int(statusSchema().size()));
    for (const auto& b : statusSchema())
        QVERIFY2(status.value(QString::fromStdString(b.key)).isString(), b.key.c_str());
    if (socket)
        QCOMPARE(status.value(QStringLiteral("VSU")).toString(), QStringLiteral("13100"));

    const CliRun lines = cli({"--device", device, "status"});
    QCOMPARE(lines.exitCode, 0);
    QCOMPARE(lines.out.count(QLatin1Char('\n')), int(statusSchema().size()));
    QVERIFY(lines.out.startsWith(QLatin1String("TPv=")));
}

void TestCli::setGoesThroughTheField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("free edit") << "edSIM1Port1" << "9000" << 0;
    QTest::newRow("check box on") << "cbTestReportEnable" << "1" << 0;
    QTest::newRow("check box, not 0 or 1") << "cbTestReportEnable" << "yes" << 2;
    QTest::newRow("drop-down item") << "cbInOut2Type" << "NC" << 0;
    QTest::newRow("not a drop-down item") << "cbInOut2Type" << "XX" << 2;
    QTest::newRow("invalid account ID") << "edSIM1AccountID1" << "12G4" << 2;
    QTest::newRow("valid account ID") << "edSIM1AccountID1" << "12AB" << 0;
}

void TestCli::setGoesThroughTheField()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    SimServer server(dir.path());
    QVERIFY(server.ready);
    const QString key = keyOf(field.toLatin1().constData());
    QVERIFY(!key.isEmpty());
    const QString before = server.command("get " + key.toLatin1());

    const CliRun run = cli({"--device", server.device(), "set", key, value});
    QCOMPARE(run.exitCode, exitCode);
    const QString after = server.command("get " + key.toLatin1());
    QCOMPARE(after, exitCode == 0 ? key + "=" + value : before);
}

void TestCli::eventsShowTaggedLines_data()
{
    QTest::addColumn<bool>("follow");
    QTest::newRow("for --wait seconds") << false;
    QTest::newRow("--follow until stopped") << true;
}

void TestCli::eventsShowTaggedLines()
{
    QFETCH(bool, follow);
    QTemporaryDir dir;
    SimServer server(dir.path());
    QVERIFY(server.ready);

    QProcess p;
    QStringList args{"--device", server.device(), "--wait", "3", "events"};
    if (follow)
        args << "--follow";
    p.start(QStringLiteral(PRAGANT_CLI_PATH), args);
    QVERIFY(p.waitForStarted());
    // Events go to an attached, logged-in host.
    QVERIFY(QTest::qWaitFor([&] { return server.command("stats").contains("logged in"); }, 5000));
    QCOMPARE(server.command("event SIM_A Door open"), QStringLiteral("ok"));
    QCOMPARE(server.command("event s_2B/4B Mains lost"), QStringLiteral("ok"));
    QCOMPARE(server.command("event OTHER Not shown"), QStringLiteral("ok"));

    QString out;
    QVERIFY(QTest::qWaitFor([&] {
        p.waitForReadyRead(50);
        out += QString::fromLocal8Bit(p.readAllStandardOutput());
        return out.contains(QLatin1String("Mains lost"));
    }, 5000));
    if (follow)
        p.terminate();
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    out += QString::fromLocal8Bit(p.readAllStandardOutput());

    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0), QStringLiteral("A <SIM_A> (Door open)"));
    QCOMPARE(lines.at(1), QStringLiteral("B <s_2B/4B> (Mains lost)"));
}

void TestCli::passwdChangesTheLogin()
{
    QTemporaryDir dir;
    SimServer server(dir.path());
    QVERIFY(server.ready);
    QCOMPARE(cli({"--device", server.device(), "passwd", "5827", "4321"}).exitCode, 0);
    QCOMPARE(cli({"--device", server.device(), "status"}).exitCode, 4);
    QCOMPARE(cli({"--device", server.device(), "--password", "4321", "status"}).exitCode, 0);
    // A wrong OLD password is not answered either.
    QCOMPARE(cli({"--device", server.device(), "--password", "4321", "passwd", "0000", "5827"})
                 .exitCode,
             1);
}

void TestCli::reportIsAnswered()
{
    QTemporaryDir dir;
    SimServer server(dir.path());
    QVERIFY(server.ready);
    const CliRun run = cli({"--device", server.device(), "report"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
}

QTEST_MAIN(TestCli)
#include "tst_Cli.moc"
