// Whether a host that reports a drawing busy is only waiting for its user:
// pure rules, free of the platform.
#pragma once
#include <string>

// The host's CMDACTIVE bits.
constexpr int kCmdCommand = 1;
constexpr int kCmdTransparent = 2;
constexpr int kCmdScript = 4;
constexpr int kCmdDialog = 8;
constexpr int kCmdDde = 16;
constexpr int kCmdLisp = 32;
constexpr int kCmdModuleCommand = 64;

// A command, transparent command, dialog or LISP evaluation is active, and
// neither a script, a DDE exchange nor a module's command runs: those work
// on their own.
bool bitsSayWaiting(int cmdActive);
// Whether one of the commands CMDNAMES names ("LINE'CAL") pauses by itself,
// as DELAY does: it works, whatever the bits say, and waits for nobody.
bool namesSayWorking(const std::string& cmdNames);

// Processor time the user-interface thread may spend in a waiting second:
// a tenth of the time gone by, and never less than kQuietCpuFloorMs, the
// clock's steps (10 to 16 ms) over two ticks close together. A thread at a
// prompt spends 0 to 10 ms a second; a working one nearly all of it.
constexpr double kQuietCpuShare = 0.1;
constexpr double kQuietCpuFloorMs = 30;
bool cpuSaysWaiting(double cpuMs, double elapsedMs);
