// The host handling the messages waiting in the thread's queue, with a quit
// passed on: the one pump of the countdown tick and the close action.
#pragma once

class CWinApp;

// Lets app handle one message (PumpMessage). False when that message was
// WM_QUIT: the quit is then posted again with its own exit code, so that
// the loop that owns it still sees it.
bool pumpOneMessage(CWinApp* app);
// Lets the host's application object handle one message if one is waiting;
// never waits for one. False after a quit.
bool pumpWaitingMessage();
// Lets the host handle every message waiting, until the queue is empty or
// a quit was taken.
void pumpMessages();
