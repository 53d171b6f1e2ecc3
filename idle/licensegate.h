// The licence server's say at the end of the idle time, for a seat with
// LicenseServer set: a question on a thread of its own, and what its answer
// means for the quiet stretch. The host's thread only starts questions and
// looks for answers; it never waits for either.
#pragma once
#include <string>

class GuardSettings;

// Whether the seat asks the licence server before it closes.
bool asksLicenseServer(const GuardSettings& settings);
// Called at every quiet tick from the end of the idle time on, until it
// says to close: asks when a question is due, and reads its answer. While
// licences are free it journals "kept" ("would-keep" in a trial run) and
// asks again LicenseRecheck minutes later. True when the seat is to close:
// fewer licences are free than LicenseFree, or the answer did not tell
// ("license-unknown" journaled and reported once per session and reason).
bool licenseSaysClose(int idleSeconds, const GuardSettings& settings);
// Whether a question is out and its answer not yet read.
bool licenseQuestionOut();
// What the last answer said of the licences free ("2 of 20 licences free"),
// for the countdown's line; empty when it did not tell.
const std::string& licenseNote();
// The stretch ended: a question still out is dropped, and the next stretch
// asks afresh.
void forgetLicenseQuestion();
// A new session of the host, of the module in folder: every reason is news
// again.
void newLicenseSession(const std::string& folder);
