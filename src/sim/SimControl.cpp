#include "SimControl.h"

#include "SimDevice.h"

#include <charconv>
#include <optional>
#include <sstream>
#include <vector>

namespace {

struct Args {
    std::vector<std::string> words;
    std::string rest(std::size_t from) const // the words from `from` on, joined by blanks
    {
        std::string text;
        for (std::size_t i = from; i < words.size(); ++i)
            text += (i > from ? " " : "") + words[i];
        return text;
    }
};

std::optional<int> integer(const Args& a, std::size_t i)
{
    if (i >= a.words.size())
        return std::nullopt;
    const auto& w = a.words[i];
    int value = 0;
    const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), value);
    if (ec != std::errc() || end != w.data() + w.size())
        return std::nullopt;
    return value;
}

std::optional<char> sim(const Args& a, std::size_t i, char fallback)
{
    if (i >= a.words.size())
        return fallback;
    const auto& w = a.words[i];
    if (w == "A" || w == "a")
        return 'A';
    if (w == "B" || w == "b")
        return 'B';
    return std::nullopt;
}

// "ok", or the usage when the command could not be carried out.
SimCommandResult done(bool ok, std::string usage = {})
{
    return {ok, false, ok ? "ok" : std::move(usage)};
}

SimCommandResult shown(std::string text)
{
    return {true, false, std::move(text)};
}

using Handler = SimCommandResult (*)(SimDevice&, const Args&);

struct Command {
    const char* name;
    const char* usage;
    Handler run;
};

const Command kCommands[] = {
    {"help", "help                      this list",
     [](SimDevice&, const Args&) { return shown(simCommandHelp()); }},
    {"plug", "plug                      plug the device in",
     [](SimDevice& d, const Args&) { d.plug(); return done(true); }},
    {"unplug", "unplug                    pull the cable",
     [](SimDevice& d, const Args&) { d.unplug(); return done(true); }},
    {"input", "input N S                 input N (1-6) to 0 alarm, 1 idle, 2/3 tamper",
     [](SimDevice& d, const Args& a) {
         const auto n = integer(a, 1), s = integer(a, 2);
         return done(n && s && d.setInput(*n, *s), "usage: input N S");
     }},
    {"receiver", "receiver A|B N S          receiver N (1-4) of a SIM to state S (0-4)",
     [](SimDevice& d, const Args& a) {
         const auto which = sim(a, 1, '?');
         const auto n = integer(a, 2), s = integer(a, 3);
         return done(which && n && s && d.setReceiver(*which, *n, *s),
                     "usage: receiver A|B N S");
     }},
    {"signal", "signal N [A|B]            GSM signal 0-31 of SIM A (or B)",
     [](SimDevice& d, const Args& a) {
         const auto n = integer(a, 1);
         const auto which = sim(a, 2, 'A');
         return done(n && which && d.setSignal(*which, *n), "usage: signal N [A|B]");
     }},
    {"supply", "supply MV                 supply voltage in millivolts",
     [](SimDevice& d, const Args& a) {
         const auto mv = integer(a, 1);
         return done(mv && d.setSupply(*mv), "usage: supply MV");
     }},
    {"event", "event TAG TEXT            send an event line, e.g. event SIM_A Door open",
     [](SimDevice& d, const Args& a) {
         return done(a.words.size() >= 2 && d.sendEvent(a.words[1], a.rest(2)),
                     "usage: event TAG TEXT (needs an attached host)");
     }},
    {"status", "status                    send every status record now",
     [](SimDevice& d, const Args&) { d.sendStatus(); return done(true); }},
    {"silent", "silent N                  stay silent for the next N requests",
     [](SimDevice& d, const Args& a) {
         const auto n = integer(a, 1);
         if (n)
             d.silenceNextRequests(*n);
         return done(bool(n), "usage: silent N");
     }},
    {"delay", "delay MS                  delay every reply by MS milliseconds",
     [](SimDevice& d, const Args& a) {
         const auto n = integer(a, 1);
         if (n)
             d.setReplyDelay(std::chrono::milliseconds(*n));
         return done(bool(n), "usage: delay MS");
     }},
    {"corrupt", "corrupt N                 corrupt the CRC of the next N frames",
     [](SimDevice& d, const Args& a) {
         const auto n = integer(a, 1);
         if (n)
             d.corruptNextFrames(*n);
         return done(bool(n), "usage: corrupt N");
     }},
    {"noise", "noise N                   send N noise bytes before the next frames",
     [](SimDevice& d, const Args& a) {
         const auto n = integer(a, 1);
         if (n)
             d.insertNoise(*n);
         return done(bool(n), "usage: noise N");
     }},
    {"detach", "detach N                  unplug after N more reports",
     [](SimDevice& d, const Args& a) {
         const auto n = integer(a, 1);
         if (n)
             d.detachAfterReports(*n);
         return done(bool(n), "usage: detach N");
     }},
    {"clear", "clear                     end every fault",
     [](SimDevice& d, const Args&) { d.clearFaults(); return done(true); }},
    {"packing", "packing MODE              stream, frames[:1|2], chunk:N, random[:SEED]",
     [](SimDevice& d, const Args& a) {
         const auto p = a.words.size() == 2 ? SimPacking::parse(a.words[1]) : std::nullopt;
         if (p)
             d.setPacking(*p);
         return done(bool(p), "usage: packing stream|frames[:N]|chunk:N|random[:SEED]");
     }},
    {"timing", "timing US THINK_US        report interval and think time in microseconds",
     [](SimDevice& d, const Args& a) {
         const auto i = integer(a, 1), t = integer(a, 2);
         if (i && t && *i >= 0 && *t >= 0)
             d.setTiming({std::chrono::microseconds(*i), std::chrono::microseconds(*t)});
         return done(i && t && *i >= 0 && *t >= 0, "usage: timing US THINK_US");
     }},
    {"live", "live on|off               clock and uptimes ticking",
     [](SimDevice& d, const Args& a) {
         const bool on = a.words.size() == 2 && a.words[1] == "on";
         const bool off = a.words.size() == 2 && a.words[1] == "off";
         if (on || off)
             d.setLiveStatus(on);
         return done(on || off, "usage: live on|off");
     }},
    {"get", "get KEY                   show a stored property",
     [](SimDevice& d, const Args& a) {
         const auto v = a.words.size() == 2 ? d.property(a.words[1]) : std::nullopt;
         return v ? shown(a.words[1] + "=" + *v) : done(false, "unknown property");
     }},
    {"set", "set KEY VALUE             store a property without a reply",
     [](SimDevice& d, const Args& a) {
         return done(a.words.size() >= 2 && d.setProperty(a.words[1], a.rest(2)),
                     "unknown property");
     }},
    {"stats", "stats                     counters",
     [](SimDevice& d, const Args&) {
         const auto c = d.counters();
         std::ostringstream out;
         out << "requests " << c.requests << ", frames in " << c.framesReceived << ", frames out "
             << c.framesSent << ", reports in " << c.reportsIn << " (dropped "
             << c.reportsDropped << "), reports out " << c.reportsOut
             << (d.loggedIn() ? ", logged in" : "") << (d.isPlugged() ? "" : ", unplugged");
         return shown(out.str());
     }},
    {"quit", "quit                      end the program",
     [](SimDevice&, const Args&) { return SimCommandResult{true, true, "bye"}; }},
};

} // namespace

SimCommandResult runSimCommand(SimDevice& device, std::string_view line)
{
    Args args;
    std::istringstream in{std::string(line)};
    for (std::string w; in >> w;)
        args.words.push_back(w);
    if (args.words.empty())
        return {true, false, {}};
    for (const auto& c : kCommands)
        if (args.words[0] == c.name)
            return c.run(device, args);
    return {false, false, "unknown command '" + args.words[0] + "'; try help"};
}

std::string simCommandHelp()
{
    std::string text;
    for (const auto& c : kCommands)
        text += (text.empty() ? "" : "\n") + std::string(c.usage);
    return text;
}
