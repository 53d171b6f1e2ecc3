// The module's code in the test process with the stand-in host around it:
// the resource library attached, a main window, and start-up on demand with
// settings written to the test's own folder.
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include "acrx.h"
#include "cadhost.h"
#include "testkit.h"

namespace modtest {

// Plain settings lines written scrambled to tarnel.cfg beside the test.
void writeSettings(const std::map<std::string, std::string>& values);
void deleteRegistryMessage();
// The "Message" value, or "(none)".
std::string registryMessage();
void setRegistryMessage(const std::string& text);

struct Module {
    Module();  // attaches the library and creates the host's main window
    ~Module(); // unloads when still started, closes every drawing
    void start(const std::map<std::string, std::string>& settings = {});
    void stop();
    bool started = false;
    std::string dir; // the module's folder
};

} // namespace modtest
