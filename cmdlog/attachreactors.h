// Registering the command log reactor with the host, and removing it.
#pragma once

bool attachReactors();
void detachReactors();
