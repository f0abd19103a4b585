// The text commands of bisora-sim and the packing names, without a host.
#include "SimCheck.h"
#include "SimControl.h"
#include "SimRig.h"

#include <functional>

namespace {

void packingNames()
{
    const struct {
        const char* text;
        bool valid;
        const char* name;
    } cases[] = {
        {"stream", true, "stream"},     {"frames", true, "frames:2"},  {"frames:1", true, "frames:1"},
        {"frames:3", false, ""},        {"chunk:1", true, "chunk:1"},  {"chunk:60", true, "chunk:60"},
        {"chunk:0", false, ""},         {"chunk:61", false, ""},       {"chunk", false, ""},
        {"chunk:7x", false, ""},        {"random", true, "random:1"},  {"random:99", true, "random:99"},
        {"random:-1", false, ""},       {"stream:5", false, ""},       {"", false, ""},
        {"STREAM", false, ""},
    };
    for (const auto& c : cases) {
        simcheck::Row row(c.text);
        const auto p = SimPacking::parse(c.text);
        CHECK_EQ(p.has_value(), c.valid);
        if (p)
            CHECK_EQ(p->name(), std::string(c.name));
    }
}

void commandsChangeTheDevice()
{
    SimDevice device(fastOptions());
    const struct {
        const char* line;
        bool ok;
        std::function<bool(SimDevice&)> effect; // holds afterwards
    } cases[] = {
        {"", true, nullptr},
        {"help", true, nullptr},
        {"frobnicate", false, nullptr},
        {"input 3 0", true, [](SimDevice& d) { return d.statusValue("IN3") == "0"; }},
        {"input 7 0", false, [](SimDevice& d) { return d.statusValue("IN3") == "0"; }},
        {"input 3", false, nullptr},
        {"input x 1", false, nullptr},
        {"receiver B 4 2", true, [](SimDevice& d) { return d.statusValue("T4B") == "2"; }},
        {"receiver C 4 2", false, nullptr},
        {"signal 9", true, [](SimDevice& d) { return d.statusValue("RFP") == "9"; }},
        {"signal 25 B", true, [](SimDevice& d) { return d.statusValue("RFP1") == "25"; }},
        {"signal 32", false, [](SimDevice& d) { return d.statusValue("RFP") == "9"; }},
        {"supply 12150", true, [](SimDevice& d) { return d.statusValue("VSU") == "12150"; }},
        {"supply -3", false, nullptr},
        {"event SIM_A Door open", true, nullptr},
        {"event", false, nullptr},
        {"set CALL:ROUTE1.IP 10.0.0.1", true,
         [](SimDevice& d) { return d.property("CALL:ROUTE1.IP") == "10.0.0.1"; }},
        {"set NO:SUCH 1", false, nullptr},
        {"get CALL:ROUTE1.IP", true, nullptr},
        {"get NO:SUCH", false, nullptr},
        {"timing 250 500", true,
         [](SimDevice& d) { return d.timing().reportInterval.count() == 250 && d.timing().thinkTime.count() == 500; }},
        {"timing -1 0", false, [](SimDevice& d) { return d.timing().reportInterval.count() == 250; }},
        {"packing chunk:9", true, nullptr},
        {"packing chunk:99", false, nullptr},
        {"live on", true, nullptr},
        {"live maybe", false, nullptr},
        {"silent 2", true, nullptr},
        {"delay 5", true, nullptr},
        {"corrupt 1", true, nullptr},
        {"noise 10", true, nullptr},
        {"detach 3", true, nullptr},
        {"clear", true, nullptr},
        {"stats", true, nullptr},
        {"unplug", true, [](SimDevice& d) { return !d.isPlugged() && d.session() == 0; }},
        {"event SIM_A nobody listens", false, nullptr},
        {"plug", true, [](SimDevice& d) { return d.isPlugged() && d.session() != 0; }},
    };
    for (const auto& c : cases) {
        simcheck::Row row(c.line);
        const auto r = runSimCommand(device, c.line);
        CHECK_EQ(r.ok, c.ok);
        CHECK(!r.quit);
        if (c.effect)
            CHECK(c.effect(device));
    }
    CHECK_EQ(runSimCommand(device, "get CALL:ROUTE1.IP").text, std::string("CALL:ROUTE1.IP=10.0.0.1"));
    CHECK(runSimCommand(device, "help").text.find("unplug") != std::string::npos);
    CHECK(runSimCommand(device, "quit").quit);
}

} // namespace

int main()
{
    const simcheck::Test tests[] = {
        {"packingNames", packingNames},
        {"commandsChangeTheDevice", commandsChangeTheDevice},
    };
    return simcheck::runTests(tests);
}
