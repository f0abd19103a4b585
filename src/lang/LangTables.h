#pragma once
// The three built-in language tables. Keys are ASCII component names or "txt..." message keys;
// texts are UTF-8 (the device and the settings files still get code page 1250 through the
// codecs). Tables are static and never change.

#include <string_view>

struct LangEntry
{
    const char* key;
    const char* text;
};

extern const LangEntry LangTableEn[];
extern const LangEntry LangTableHu[];
extern const LangEntry LangTableRo[];
extern const int LangTableEnCount; // 149: the Hungarian keys plus btnLogin
extern const int LangTableHuCount; // 148
extern const int LangTableRoCount; // 148

// A table with its row count; they always travel together.
struct LangTable
{
    const LangEntry* rows;
    int count;
};

// The table for an already normalised code: "hu", "ro", and English for anything else.
LangTable langTableFor(std::string_view code);
