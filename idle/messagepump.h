// One message handled by the host's application object, with the quit
// passed on.
#pragma once

class CWinApp;

// Lets app handle one message (PumpMessage). False when that message was
// WM_QUIT: the quit is then posted again with its own exit code, so that
// the loop that owns it still sees it.
bool pumpOneMessage(CWinApp* app);
