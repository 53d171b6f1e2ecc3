// The module's one command log reactor: registered with the host at
// start-up, removed and freed at unload.
#pragma once

class CommandLogReactor;

// Creates and registers the reactor; true when one is attached afterwards.
bool attachReactors();
// Unregisters and frees the reactor; nothing when none is attached.
void detachReactors();
// The attached reactor, or null.
CommandLogReactor* commandLogReactor();
