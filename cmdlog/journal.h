// The session journal: one line per event of this host's session, appended
// to "<Journalpath>\<computer name>.csv" through the command log's writer,
// so sessions on one computer share the file, a record is never torn and a
// held or unreachable folder never stalls the host. Nothing is written
// while Journalpath is empty.
#pragma once
#include <string>
#include "cmdlog/journalformat.h"
#include "cmdlog/logfile.h"

class GuardSettings;

// Appends the event (texts in the user's code page, written as UTF-8).
void journal(const JournalEvent& event);
// The same into a journal file named outright; false for an empty name.
bool appendJournal(const std::string& file, const JournalEvent& event);
// The journal's kind of log, for its writer.
const LogKind& journalLogKind();
// The journal file for a folder as written (quotes, %NAME%, forward slashes
// and a trailing separator read as settings/folderpath.h says):
// "<folder>\<computer name>.csv"; empty for an empty folder.
std::string journalFileIn(const std::string& folder);
// This host start's session id.
const std::string& journalSession();

// "start", with the settings in effect (all but the password) in its detail;
// events are journaled to settings' folder from here until journalEnd, and
// settings must live that long.
void journalStart(const GuardSettings& settings);
// "settings", when the settings in effect differ from those the journal
// last named (a policy refresh, the options' OK): the same detail as "start".
void journalSettingsChanged();
// "host-closed": the close action closes the host.
void journalHostClosed();
// "end" at unload: the session's length, and who ended the host ("module"
// after journalHostClosed, else "user").
void journalEnd();
