#include "SettingsSchema.h"

#include <algorithm>
#include <map>

namespace {

std::string num(int n) { return std::to_string(n); }

// Receiver slots 1..4 of SIM A use routes 1, 3, 2, 4; those of SIM B routes 5, 7, 6, 8.
constexpr int kRouteOfSlot[2][4] = {{1, 3, 2, 4}, {5, 7, 6, 8}};

// A 1AB box carries the flags N1, N4, N5, N6 of its event, a 2AB box N2, N3, N7, N8.
constexpr int kFlagOrder[8] = {1, 4, 5, 6, 2, 3, 7, 8};
int msBoxOfFlag(int k) { return (k == 1 || k == 4 || k == 5 || k == 6) ? 1 : 2; }

std::vector<SchemaBinding> buildSettings()
{
    std::vector<SchemaBinding> t;
    auto add = [&t](std::string key, std::string field) {
        t.push_back({std::move(key), std::move(field)});
    };
    auto routes = [&](int sim, const char* attr, const std::string& fieldStem) {
        for (int slot = 1; slot <= 4; ++slot)
            add("CALL:ROUTE" + num(kRouteOfSlot[sim - 1][slot - 1]) + "." + attr,
                fieldStem + num(slot));
    };
    auto apn = [&](int sim) {
        const std::string s = num(sim);
        add("GPRS:APN" + s + ".APN", "edApn" + s + "Name");
        add("GPRS:APN" + s + ".UN", "edApn" + s + "User");
        add("GPRS:APN" + s + ".PW", "edApn" + s + "Password");
        add("GPRS:APN" + s + ".PIN", "edPIN" + s);
    };
    auto flags = [&](const std::string& event, const std::string& boxStem) {
        for (int k : kFlagOrder)
            add("EVH:" + event + ".N" + num(k), boxStem + num(msBoxOfFlag(k)));
    };

    add("CALL:BACKUP.EN", "cbUseBackupServers");
    add("CALL:SUNR1.PN", "edSuperusernr");
    apn(1);
    for (int sim = 1; sim <= 2; ++sim)
        for (int slot = 1; slot <= 4; ++slot)
            add("CALL:ROUTE" + num(kRouteOfSlot[sim - 1][slot - 1]) + ".PI",
                "cbIn" + num(slot) + (sim == 1 ? "A" : "B") + "RemType");
    for (int sim = 1; sim <= 2; ++sim) {
        const std::string s = "edSIM" + num(sim);
        if (sim == 2)
            apn(2);
        routes(sim, "NAM", s + "Comment");
        routes(sim, "IP", s + "IP");
        routes(sim, "PORT", s + "Port");
        routes(sim, "ID", s + "AccountID");
        routes(sim, "TRF", "seSIM" + num(sim) + "Test");
    }
    for (int z = 1; z <= 6; ++z)
        add("DIN:Z" + num(z) + ".POL", "cbInOut" + num(z) + "Type");
    for (int z = 1; z <= 6; ++z)
        add("DIN:Z" + num(z) + ".EOL", "cbEOL" + num(z));
    for (int z = 1; z <= 6; ++z)
        add("DIN:Z" + num(z) + ".SEN", "seSensitivity" + num(z));
    for (const char* ar : {"A", "R"})
        for (int z = 1; z <= 6; ++z)
            add("EVH:Z" + num(z) + ar + ".CEID", "edCIDCode" + num(z));
    for (const char* ar : {"A", "R"})
        for (int k : kFlagOrder)
            for (int z = 1; z <= 6; ++z)
                add("EVH:Z" + num(z) + ar + ".N" + num(k),
                    "cbIN" + num(z) + "MS" + num(msBoxOfFlag(k)));
    for (const char* ar : {"A", "R"})
        for (int z = 1; z <= 6; ++z)
            add("EVH:Z" + num(z) + ar + ".NAM", "edInName" + num(z));
    add("EVH:TAMA.CEID", "edSabotageEvent");
    add("EVH:TAMR.CEID", "edSabotageEvent");
    flags("TAMA", "cbSabotageMS");
    flags("TAMR", "cbSabotageMS");
    add("BATT:RANG.LOW", "seBattLow");
    add("BATT:RANG.RES", "seBattHigh");
    add("EVH:BATTA.CEID", "edBatteryEvent");
    add("EVH:BATTR.CEID", "edBatteryEvent");
    flags("BATTA", "cbBattMS");
    flags("BATTR", "cbBattMS");
    for (int n = 1; n <= 6; ++n)
        add("REL:MODE.A" + num(n), "edO" + num(n) + "V");
    add("MSTST:CFG.EN", "cbTestReportEnable");
    add("EVH:TEST.CEID", "edTestReportCID");
    add("MSTST:CFG.FR", "udTestReportFreq");
    add("MSTST:CFG.TSYNC", "edTestrepminvalue");
    flags("TEST", "cbTestReportMS");
    return t;
}

std::vector<SchemaBinding> buildStatus()
{
    std::vector<SchemaBinding> t = {
        {"TPv", "lbVerTypeValue"}, {"HWv", "lbHwVerValue"},         {"FWv", "lbFwVerValue"},
        {"DTS", "lbStDTValue"},    {"SUTM", "lbStUptimeValue"},     {"VSU", "edPowerValue"},
    };
    for (int n = 1; n <= 6; ++n)
        t.push_back({"IN" + num(n), "edIN" + num(n)});
    for (int n = 1; n <= 6; ++n)
        t.push_back({"RE" + num(n), "edOUT" + num(n)});
    const SchemaBinding gsm[] = {
        {"RFP", "edTempGsmSignal1"},    {"GPN", "lbGsmProvider1Value"},
        {"GUTM", "lbGsmUptime1Value"},  {"RFP1", "edTempGsmSignal2"},
        {"GPN1", "lbGsmProvider2Value"}, {"GUTM1", "lbGsmUptime2Value"},
        {"GIPA", "lbGprsIp1Value"},     {"IUTM", "lbGprsUptime1Value"},
        {"GIPA1", "lbGprsIp2Value"},    {"IUTM1", "lbGprsUptime2Value"},
    };
    t.insert(t.end(), std::begin(gsm), std::end(gsm));
    for (const char* ab : {"A", "B"})
        for (int n = 1; n <= 4; ++n)
            t.push_back({"T" + num(n) + ab,
                         std::string("edRS") + (ab[0] == 'A' ? "1_" : "2_") + num(n)});
    return t;
}

std::map<std::string, std::string, std::less<>> buildDesignValues()
{
    std::map<std::string, std::string, std::less<>> v;
    for (const auto& f : settingsFields()) {
        // Field families by name prefix; anything not listed starts empty (free-text edits)
        // or unchecked (check boxes).
        if (f.starts_with("cb") && f.ends_with("RemType"))
            v[f] = "Quarvis_TCP";
        else if (f.starts_with("cbInOut"))
            v[f] = "NO";
        else if (f.starts_with("cb"))
            v[f] = "0";
        else if (f.starts_with("seSIM"))
            v[f] = "60";
        else if (f.starts_with("seSensitivity"))
            v[f] = "100";
        else if (f.starts_with("edCIDCode"))
            v[f] = "110";
        else if (f.size() == 5 && f.starts_with("edO") && f.ends_with("V"))
            v[f] = f.substr(3, 1);
        else
            v[f] = "";
    }
    v["cbTestReportEnable"] = "1";
    v["edSabotageEvent"] = "370";
    v["seBattLow"] = "11500";
    v["seBattHigh"] = "12200";
    v["edBatteryEvent"] = "302";
    v["edTestReportCID"] = "602";
    v["udTestReportFreq"] = "24";
    v["edTestrepminvalue"] = "120";
    return v;
}

} // namespace

const std::vector<SchemaBinding>& settingsSchema()
{
    static const std::vector<SchemaBinding> table = buildSettings();
    return table;
}

const std::vector<SchemaBinding>& statusSchema()
{
    static const std::vector<SchemaBinding> table = buildStatus();
    return table;
}

const std::vector<std::string>& settingsFields()
{
    static const std::vector<std::string> fields = [] {
        std::vector<std::string> out;
        for (const auto& b : settingsSchema())
            if (std::find(out.begin(), out.end(), b.field) == out.end())
                out.push_back(b.field);
        return out;
    }();
    return fields;
}

std::string designValue(std::string_view field)
{
    static const auto values = buildDesignValues();
    const auto it = values.find(field);
    return it == values.end() ? std::string() : it->second;
}
