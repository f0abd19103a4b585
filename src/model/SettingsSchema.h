#pragma once
// The device configuration's schema as plain data: every property key in read/write order
// with the component name of the field that holds it, the status keys with their fields, and
// the design-time text of every settings field. The window's binding lists, the settings file
// and the simulated device all take their keys from here.

#include <string>
#include <string_view>
#include <vector>

struct SchemaBinding {
    std::string key;   // property key exactly as sent, e.g. "CALL:ROUTE1.IP"
    std::string field; // component name of the bound field, e.g. "edSIM1IP1"
};

// The 252 settings bindings in table order (over 120 distinct fields).
const std::vector<SchemaBinding>& settingsSchema();

// The 36 status bindings in table order.
const std::vector<SchemaBinding>& statusSchema();

// The distinct settings fields in the order in which they first occur in settingsSchema().
const std::vector<std::string>& settingsFields();

// The property text a settings field holds when the window is created ("" if unknown).
std::string designValue(std::string_view field);
