// The host handling the messages waiting in the thread's queue, with a quit
// passed on: the one pump of the countdown tick and the close action.
#pragma once

// Lets the host's application object handle one message if one is waiting;
// never waits for one. False after a quit, which is posted again with its
// own exit code, so that the loop that owns it still sees it.
bool pumpWaitingMessage();
// Lets the host handle every message waiting, until the queue is empty or
// a quit was taken.
void pumpMessages();
