// pragant_bench: the performance figures of Pragant against bisora-sim running as a separate
// process on the socket endpoint with its timing model on. Each figure is printed as a ratio
// measured in this one run; the exit status is 1 when a target is missed (never with
// --short, which only prints), 2 when the rig itself fails.
//
// The window runs in this process, as the program would run it; the read-all and write-all
// floors come from a SimDevice configured like the child, since the socket cannot tell them.
// Read-all and write-all are timed three times each (once with --short) and the median counts.

#include "BenchDialogs.h"
#include "Cp1250.h"
#include "Main.h"
#include "SimDevice.h"
#include "SimProcess.h"
#include "SocketHidPlatform.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr char kProbeOption[] = "--startup-probe";

double cpuSeconds(const rusage& r)
{
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec)
           + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

double processCpu()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return cpuSeconds(r);
}

// Runs the event loop until `done` holds or the time is up.
bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Runs the event loop for a while with nothing of our own waking it.
void idleFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figure {
    std::string name;
    std::string measured;
    std::string against;
    double ratio = 0;   // the figure itself, against its reference
    double target = 0;  // ratio must not exceed it; 0 = only reported
};

std::string fmt(const char* format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

void print(const std::vector<Figure>& figures, bool checked)
{
    std::printf("%-34s %12s %18s %8s %8s  %s\n", "figure", "measured", "against", "ratio",
                "target", "ok");
    for (const auto& f : figures) {
        const bool reported = f.target == 0;
        std::printf("%-34s %12s %18s %8s %8s  %s\n", f.name.c_str(), f.measured.c_str(),
                    f.against.c_str(), reported ? "-" : fmt("%.3f", f.ratio).c_str(),
                    reported ? "-" : fmt("%.2f", f.target).c_str(),
                    reported ? "reported" : f.ratio <= f.target ? "yes" : checked ? "NO" : "no");
    }
}

std::unique_ptr<TFormMain> makeWindow(const std::string& socketPath, BenchDialogs& dialogs)
{
    return std::make_unique<TFormMain>(
        TFormMain::Options{makeSocketPlatform(socketPath), &dialogs, ExchangeTiming{}});
}

// The probe: a fresh process that starts the program's window without a device and ends the
// moment the window first paints.
class ShownProbe : public QObject
{
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            std::_Exit(0);
        return false;
    }
};

int startupProbe(int argc, char** argv, const char* socketPath)
{
    QApplication app(argc, argv);
    requireCp1250();
    BenchDialogs dialogs(true);
    auto window = makeWindow(socketPath, dialogs);
    ShownProbe probe;
    window->installEventFilter(&probe);
    window->show();
    QTimer::singleShot(10000, &app, [] { std::_Exit(3); });
    app.exec();
    return 3;
}

struct ProbeResult {
    bool ok = false;
    double seconds = 0;
    long maxRssKb = 0;
};

ProbeResult runProbe(const std::string& socketPath)
{
    std::string self = "/proc/self/exe";
    std::string option = kProbeOption;
    std::string path = socketPath;
    char* argv[] = {self.data(), option.data(), path.data(), nullptr};
    QElapsedTimer clock;
    clock.start();
    pid_t pid = -1;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, environ) != 0)
        return {};
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return {};
    return {WIFEXITED(status) && WEXITSTATUS(status) == 0, double(clock.nsecsElapsed()) / 1e9,
            usage.ru_maxrss};
}

struct RunTiming {
    double wall = 0, cpu = 0;
};

// Clicks Read or Write and times the whole run; empty when the run failed.
std::optional<RunTiming> timedRun(TFormMain& window, BenchDialogs& dialogs, const char* button)
{
    auto* b = window.findChild<QPushButton*>(QString::fromLatin1(button));
    if (!b || !b->isEnabled())
        return std::nullopt;
    const auto messages = dialogs.messages.size();
    const double cpu0 = processCpu();
    QElapsedTimer clock;
    clock.start();
    b->click(); // the run ends before the click returns
    RunTiming t{double(clock.nsecsElapsed()) / 1e9, processCpu() - cpu0};
    if (dialogs.messages.size() != messages
        || window.findChild<QProgressBar*>(QStringLiteral("ProgressBarRW"))->value() != 252)
        return std::nullopt;
    return t;
}

// The run of median wall time, with its own CPU time.
RunTiming median(std::vector<RunTiming> runs)
{
    std::sort(runs.begin(), runs.end(),
              [](const RunTiming& a, const RunTiming& b) { return a.wall < b.wall; });
    return runs[runs.size() / 2];
}

double timedClose(TFormMain& window)
{
    QElapsedTimer clock;
    clock.start();
    window.close();
    return double(clock.nsecsElapsed()) / 1e6;
}

int fail(const char* what)
{
    std::fprintf(stderr, "pragant_bench: %s\n", what);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == kProbeOption)
        return startupProbe(argc, argv, argv[2]);

    bool brief = false;
    std::string simProgram = PRAGANT_BISORA_SIM;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--short")
            brief = true;
        else if (arg == "--sim" && i + 1 < argc)
            simProgram = argv[++i];
        else {
            std::fprintf(stderr, "usage: pragant_bench [--short] [--sim PATH-TO-bisora-sim]\n");
            return 2;
        }
    }
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    requireCp1250();
    QTemporaryDir dir;
    if (!dir.isValid())
        return fail("no temporary folder");
    const std::string socketPath = dir.filePath(QStringLiteral("bisora.sock")).toStdString();
    const int idleMs = brief ? 1000 : 5000;
    std::vector<Figure> figures;

    // Start-up first, before anything else of ours is warm: a fresh process, no device.
    const std::string nowhere = dir.filePath(QStringLiteral("absent.sock")).toStdString();
    std::vector<ProbeResult> probes;
    for (int i = 0; i < (brief ? 1 : 3); ++i) {
        probes.push_back(runProbe(nowhere));
        if (!probes.back().ok)
            return fail("the start-up probe did not show its window");
    }
    std::sort(probes.begin(), probes.end(),
              [](const ProbeResult& a, const ProbeResult& b) { return a.seconds < b.seconds; });
    const ProbeResult startup = probes[probes.size() / 2];

    SimProcess sim;
    std::string error;
    if (!sim.start(simProgram, socketPath, error))
        return fail(error.c_str());

    // The same device in this process, for the floors the timing model allows.
    SimOptions model;
    model.liveStatus = false;
    const SimDevice reference(model);
    const double readFloor = double(reference.readAllFloor().count()) / 1e6;
    const double writeFloor = double(reference.writeAllFloor().count()) / 1e6;

    BenchDialogs attachedDialogs(false);
    auto attached = makeWindow(socketPath, attachedDialogs);
    attached->show();
    if (!waitUntil([&] { return attached->isAttached() && attached->loggedIn(); }, 20000))
        return fail("the window did not attach and log in");
    idleFor(200); // the status records of the login settle

    // Read and Write in turn; each figure is the median run. Between runs the window idles
    // until the status answer that ends a run is through, as it is before any user's next click.
    std::vector<RunTiming> reads, writes;
    for (int i = 0; i < (brief ? 1 : 3); ++i) {
        const auto read = timedRun(*attached, attachedDialogs, "btnRead");
        if (!read)
            return fail("the read-all failed");
        reads.push_back(*read);
        idleFor(200);
        const auto written = timedRun(*attached, attachedDialogs, "btnWrite");
        if (!written)
            return fail("the write-all failed");
        writes.push_back(*written);
        idleFor(200);
    }
    const auto read = median(reads);
    const auto written = median(writes);
    figures.push_back({"read-all wall / floor", fmt("%.3f s", read.wall),
                       fmt("%.3f s floor", readFloor), read.wall / readFloor, 1.05});
    figures.push_back({"read-all CPU / wall", fmt("%.3f s", read.cpu),
                       fmt("%.3f s wall", read.wall), read.cpu / read.wall, 0.05});
    figures.push_back({"write-all wall / floor", fmt("%.3f s", written.wall),
                       fmt("%.3f s floor", writeFloor), written.wall / writeFloor, 1.05});

    const double closeAttached = timedClose(*attached);
    attached.reset();

    // No device: the reader searches every 10 ms while the window idles.
    if (!sim.command("unplug") || !sim.waitForSocket(false, 5000))
        return fail("bisora-sim did not unplug");
    BenchDialogs searchingDialogs(true);
    auto searching = makeWindow(socketPath, searchingDialogs);
    searching->show();
    idleFor(300);
    if (searching->isAttached())
        return fail("attached to an unplugged device");
    const double cpu0 = processCpu();
    QElapsedTimer idleClock;
    idleClock.start();
    idleFor(idleMs);
    const double idleWall = double(idleClock.nsecsElapsed()) / 1e9;
    const double idleCpu = processCpu() - cpu0;
    const double closeSearching = timedClose(*searching);
    searching.reset();
    sim.stop();

    figures.push_back({"idle search CPU / wall", fmt("%.4f s", idleCpu),
                       fmt("%.3f s wall", idleWall), idleCpu / idleWall, 0.01});
    figures.push_back({"Close while attached", fmt("%.1f ms", closeAttached), "100 ms limit",
                       closeAttached / 100.0, 1.0});
    figures.push_back({"Close while searching", fmt("%.1f ms", closeSearching), "20 ms limit",
                       closeSearching / 20.0, 1.0});
    figures.push_back({"start-up until shown", fmt("%.3f s", startup.seconds), "0.5 s limit",
                       startup.seconds / 0.5, 1.0});
    figures.push_back({"peak RSS, fresh start", fmt("%.1f MiB", double(startup.maxRssKb) / 1024),
                       "", 0, 0});
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    figures.push_back({"peak RSS, whole bench run", fmt("%.1f MiB", double(self.ru_maxrss) / 1024),
                       "", 0, 0});

    print(figures, !brief);
    if (brief)
        return 0;
    for (const auto& f : figures)
        if (f.target != 0 && f.ratio > f.target)
            return 1;
    return 0;
}
