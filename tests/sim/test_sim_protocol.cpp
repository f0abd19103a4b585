// The simulated device through the host's own link classes: properties, the reply forms,
// login, status under every packing and event lines.
#include "SettingsSchema.h"
#include "SimCheck.h"
#include "SimRig.h"
#include "SimStatus.h"

#include <algorithm>
#include <cctype>

namespace {

void storeHoldsEveryKeyWithItsDesignValue()
{
    SimDevice device(fastOptions());
    CHECK_EQ(settingsSchema().size(), std::size_t(252));
    for (const auto& b : settingsSchema())
        CHECK_EQ(device.property(b.key).value_or("<missing>"), designValue(b.field));
    const struct {
        const char* key;
        const char* value;
    } samples[] = {
        {"DIN:Z1.POL", "NO"},       {"EVH:Z1A.CEID", "110"},   {"BATT:RANG.LOW", "11500"},
        {"REL:MODE.A3", "3"},       {"MSTST:CFG.TSYNC", "120"}, {"CALL:BACKUP.EN", "0"},
        {"MSTST:CFG.EN", "1"},      {"CALL:ROUTE1.PI", "Quarvis_TCP"},
    };
    for (const auto& s : samples) {
        simcheck::Row row(s.key);
        CHECK_EQ(device.property(s.key).value_or("<missing>"), std::string(s.value));
    }
}

void queryAndSetRoundTrip()
{
    SimRig rig;
    CHECK(rig.host.waitAttached());
    const struct {
        const char* key;
        const char* before;
        const char* after;
    } cases[] = {
        {"DIN:Z1.POL", "NO", "NC"},
        {"EVH:Z1A.CEID", "110", "130"},
        {"CALL:ROUTE1.IP", "", "192.168.10.20"},
        {"EVH:Z1A.NAM", "", "Front door = main"}, // a value may hold "="
        {"MSTST:CFG.EN", "1", ""},                // and may be empty
    };
    for (const auto& c : cases) {
        simcheck::Row row(c.key);
        const std::string key = c.key;
        CHECK_EQ(rig.host.exchange(query(key)), key + "=" + c.before + "\r\nOK\r\n");
        CHECK_EQ(rig.host.exchange(setLine(key, c.after)), key + "=" + c.after + "\r\nOK\r\n");
        CHECK_EQ(rig.device->property(key).value_or("<missing>"), std::string(c.after));
        CHECK_EQ(rig.host.exchange(query(key)), key + "=" + c.after + "\r\nOK\r\n");
    }
    const auto log = rig.device->requestLog(SimDevice::kCommandSlot);
    CHECK_EQ(log.size(), std::size(cases) * 3);
    CHECK_EQ(log.front(), std::string("PROP => DIN:Z1.POL?"));
}

// The host tells replies apart by form: KEY=VALUE, or no "=" and "!" just before "\r\nOK".
void theThreeReplyForms()
{
    SimRig rig;
    CHECK(rig.host.waitAttached());
    const struct {
        std::string line;
        std::string reply;
    } cases[] = {
        {query("REL:MODE.A3"), "REL:MODE.A3=3\r\nOK\r\n"},
        {query("NO:SUCH.KEY"), "UNKNOWN PROPERTY!\r\nOK\r\n"},
        {query("rel:mode.a3"), "UNKNOWN PROPERTY!\r\nOK\r\n"}, // keys are exact
        {setLine("NO:SUCH.KEY", "1"), "UNKNOWN PROPERTY!\r\nOK\r\n"},
        {"PROP => REL:MODE.A3\r\n", "BAD REQUEST!\r\nOK\r\n"},
        {"HELLO\r\n", "UNKNOWN COMMAND!\r\nOK\r\n"},
    };
    for (const auto& c : cases) {
        simcheck::Row row(simcheck::shown(c.line));
        const auto reply = rig.host.exchange(c.line);
        CHECK_EQ(reply, c.reply);
        const auto ok = reply.find("\r\nOK");
        if (reply.find('=') == std::string::npos)
            CHECK(ok != std::string::npos && ok > 0 && reply[ok - 1] == '!');
    }
    CHECK_EQ(rig.device->property("REL:MODE.A3").value_or(""), std::string("3"));
}

// A wrong password gets no answer at all; the reply to the next request shows that nothing
// came in between.
void loginAndPasswordChange()
{
    SimRig rig;
    CHECK(rig.host.waitAttached());
    const struct {
        const char* line;
        bool answered;
        const char* passwordAfter;
    } steps[] = {
        {"set REM:UPW P,1111\n", false, "5827"},
        {"set REM:UPW P,5827\n", true, "5827"},
        {"set REM:UPW C,1111,2222\n", false, "5827"},
        {"set REM:UPW C,5827,\n", false, "5827"},
        {"set REM:UPW C,5827\n", false, "5827"},
        {"set REM:UPW C,5827,4321\n", true, "4321"},
        {"set REM:UPW P,5827\n", false, "4321"},
        {"set REM:UPW P,4321\n", true, "4321"},
        {"set REM:UPW X,4321\n", false, "4321"},
    };
    for (const auto& s : steps) {
        simcheck::Row row(simcheck::shown(s.line));
        rig.host.command.take();
        rig.host.commandSlot->WriteText(s.line);
        // The probe's reply comes after any answer to the command, so one wait covers both.
        rig.host.commandSlot->WriteText(query("REL:MODE.A1"));
        CHECK(rig.host.command.waitContains("\r\nOK\r\n"));
        const auto probe = rig.host.command.take();
        CHECK_EQ(probe.empty(), false);
        const bool answered = probe != "REL:MODE.A1=1\r\nOK\r\n";
        CHECK_EQ(answered, s.answered);
        if (s.answered)
            CHECK(probe.find("\r\n") < probe.find("REL:MODE.A1=1\r\nOK\r\n"));
        CHECK_EQ(rig.device->password(), std::string(s.passwordAfter));
    }
}

void requireLoginGuardsProperties()
{
    auto options = fastOptions();
    options.requireLogin = true;
    SimRig rig(options);
    CHECK(rig.host.waitAttached());
    CHECK_EQ(rig.host.exchange(query("REL:MODE.A2")), std::string("LOGIN REQUIRED!\r\nOK\r\n"));
    CHECK_EQ(rig.host.exchange(setLine("REL:MODE.A2", "5")), std::string("LOGIN REQUIRED!\r\nOK\r\n"));
    CHECK_EQ(rig.device->property("REL:MODE.A2").value_or(""), std::string("2"));
    rig.host.commandSlot->WriteText("set REM:UPW P,5827\n");
    CHECK(rig.host.command.waitContains("\r\n"));
    CHECK(rig.device->loggedIn());
    CHECK_EQ(rig.host.exchange(query("REL:MODE.A2")), std::string("REL:MODE.A2=2\r\nOK\r\n"));
    // A new attachment needs a new login.
    rig.device->unplug();
    rig.device->plug();
    CHECK(!rig.device->loggedIn());
}

bool clockLike(const std::string& v)
{
    const std::string shape = "dddd-dd-dd dd:dd:dd";
    if (v.size() != shape.size())
        return false;
    for (std::size_t i = 0; i < v.size(); ++i)
        if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(v[i])) : v[i] != shape[i])
            return false;
    return true;
}

void statusRecordsUnderEveryPacking()
{
    const char* packings[] = {"stream",  "frames:1", "frames:2", "chunk:1",  "chunk:5",
                              "chunk:23", "chunk:25", "chunk:60", "random:1", "random:4242"};
    for (const char* name : packings) {
        simcheck::Row row(name);
        auto options = fastOptions();
        options.packing = *SimPacking::parse(name);
        SimRig rig(options);
        CHECK(rig.host.waitAttached());
        rig.host.statusSlot->WriteText("R");
        CHECK(rig.host.status.waitFor([](const std::string& t) {
            return std::count(t.begin(), t.end(), '}') >= 36;
        }));
        const auto text = rig.host.status.take();
        const auto got = records(text);
        // The reports really were cut as the packing says.
        const auto frames = (text.size() + 15) / 16;
        const auto per = std::string_view(name).starts_with("frames") ? 24 * options.packing.size
                                                                       : options.packing.size;
        if (options.packing.mode != SimPacking::Mode::Random)
            CHECK_EQ(rig.device->counters().reportsOut, (frames * 24 + per - 1) / per);
        CHECK_EQ(got.size(), statusSchema().size());
        for (std::size_t i = 0; i < std::min(got.size(), statusSchema().size()); ++i)
            CHECK_EQ(got[i].first, statusSchema()[i].key);
        for (const auto& [key, value] : got) {
            if (key == "DTS")
                CHECK(clockLike(value));
            if (key == "VSU")
                CHECK_EQ(value, std::string("13650"));
            if (key.starts_with("IN"))
                CHECK_EQ(value, std::string("1"));
        }
        CHECK_EQ(rig.device->requestLog(SimDevice::kStatusSlot), std::vector<std::string>{"R"});
    }
}

void eventLinesCarryTheirTags()
{
    SimRig rig;
    CHECK(rig.host.waitAttached());
    const struct {
        const char* what;
        std::function<bool(SimDevice&)> act;
        std::vector<std::string> lines; // the part from "<" on
        std::string record;
    } cases[] = {
        {"input alarm", [](SimDevice& d) { return d.setInput(3, 0); },
         {"<SIM_A> (Zone 3 alarm)", "<SIM_B> (Zone 3 alarm)"}, "{IN3=0}"},
        {"receiver 3A", [](SimDevice& d) { return d.setReceiver('A', 3, 3); },
         {"<s_1A/3A> (Receiver 3A offline)"}, "{T3A=3}"},
        {"receiver 2B", [](SimDevice& d) { return d.setReceiver('B', 2, 1); },
         {"<s_2B/4B> (Receiver 2B online)"}, "{T2B=1}"},
        {"command", [](SimDevice& d) { return d.sendEvent("SIM_B", "Door\r\nopen"); },
         {"<SIM_B> (Door  open)"}, ""},
        {"battery", [](SimDevice& d) { return d.setSupply(11000); },
         {"<SIM_A> (Battery low)", "<SIM_B> (Battery low)"}, "{VSU=11000}"},
    };
    for (const auto& c : cases) {
        simcheck::Row row(c.what);
        rig.host.event.take();
        rig.host.status.take();
        CHECK(c.act(*rig.device));
        CHECK(rig.host.event.waitFor([&](const std::string& t) {
            return std::size_t(std::count(t.begin(), t.end(), '\r')) >= c.lines.size();
        }));
        const auto text = rig.host.event.take();
        std::size_t at = 0;
        for (const auto& line : c.lines) {
            const auto end = text.find("\r\n", at);
            CHECK(end != std::string::npos);
            const auto l = text.substr(at, end - at);
            CHECK(l.size() > 22 && l[0] == '[' && clockLike(l.substr(1, 19)) && l[20] == ']');
            CHECK_EQ(l.substr(std::min(l.size(), std::size_t(22))), line);
            at = end + 2;
        }
        if (!c.record.empty()) {
            CHECK(rig.host.status.waitContains(c.record));
        }
    }
    CHECK(!rig.device->setInput(7, 0));
    CHECK(!rig.device->setReceiver('C', 1, 0));
    CHECK(!rig.device->sendEvent("BAD TAG", "x"));
}

} // namespace

int main()
{
    const simcheck::Test tests[] = {
        {"storeHoldsEveryKeyWithItsDesignValue", storeHoldsEveryKeyWithItsDesignValue},
        {"queryAndSetRoundTrip", queryAndSetRoundTrip},
        {"theThreeReplyForms", theThreeReplyForms},
        {"loginAndPasswordChange", loginAndPasswordChange},
        {"requireLoginGuardsProperties", requireLoginGuardsProperties},
        {"statusRecordsUnderEveryPacking", statusRecordsUnderEveryPacking},
        {"eventLinesCarryTheirTags", eventLinesCarryTheirTags},
    };
    return simcheck::runTests(tests);
}
