#pragma once
// The text commands with which a person or a test rig drives a simulated device: one command
// a line, as bisora-sim reads them from its standard input.

#include <string>
#include <string_view>

class SimDevice;

struct SimCommandResult {
    bool ok = false;
    bool quit = false;
    std::string text; // what to tell the user
};

SimCommandResult runSimCommand(SimDevice& device, std::string_view line);
// The command list that "help" prints.
std::string simCommandHelp();
