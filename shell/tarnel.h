// The module's static objects: the extension-module record and the
// application object, built before the library entry runs.
#pragma once
#include "shell/extensionmodule.h"

ExtensionModuleRecord* extensionRecord();
