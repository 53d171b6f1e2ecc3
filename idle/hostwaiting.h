// Looks at the host for the tick: how much processor time its user-interface
// thread spent since the last look, what runs in the current drawing, and
// the cancel of whatever waits there.
#pragma once
#include <string>
#include <vector>
#include "port/hostport.h"

// Starts the processor-time window afresh (the watch starts); until a
// window is long enough, the thread counts as working.
void restartLoadWatch();
// Whether the thread spent (almost) no processor time in the window since
// the last look. A look less than kLoadWindowMinMs after the window began
// gives the last verdict and lets the window go on; a later one judges the
// window and starts a new one. False when the times cannot be had.
constexpr unsigned kLoadWindowMinMs = 250;
bool uiThreadQuietSinceLastLook();

// The open drawings, in the host's order; false when the host cannot list
// them (nothing can be told).
bool openDocuments(std::vector<TarnelDrawing>& docs);
// Of those, the ones that are not quiescent.
bool busyDocuments(std::vector<TarnelDrawing>& busy);
// When the busy documents only wait for their user (each is the current
// document, whose CMDACTIVE says waiting), what waits: the document, the
// CMDACTIVE bits and the CMDNAMES names; empty when they work.
std::string waitingState(const std::vector<TarnelDrawing>& busy);

// Cancels what waits, as its user would: every dialog modal over the host's
// main window gets its Cancel button's command (innermost first), and every
// busy document two ^C to execute. What was cancelled, as the report names
// it ("the dialog "Options"", "the command LINE in C:\x\a.dwg").
std::vector<std::string> cancelWhatWaits(const std::vector<TarnelDrawing>& busy);
// What cancelWhatWaits would cancel now, named as it names it; nothing is
// sent.
std::vector<std::string> whatWaits(const std::vector<TarnelDrawing>& busy);
// What runs in a busy document, as cancelWhatWaits names it.
std::string busyDescription(TarnelDrawing doc);
