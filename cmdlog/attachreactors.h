// The module's one command log reactor: registered with the host at
// start-up, removed and freed at unload.
#pragma once

class CommandLogReactor;

class GuardSettings;

// Creates and registers the reactor, which logs as settings say (they must
// live until detachReactors); true when one is attached afterwards.
bool attachReactors(const GuardSettings& settings);
// Unregisters and frees the reactor; nothing when none is attached.
void detachReactors();
// The attached reactor, or null.
CommandLogReactor* commandLogReactor();
