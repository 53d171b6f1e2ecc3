// The host's system variables of the current drawing, read through acedGetVar.
#pragma once
#include <string>

// A number variable (DBMOD, CMDACTIVE); false when the host gives none.
bool shortSysVar(const char* name, int& value);
// A text variable (CMDNAMES); empty when the host gives none.
std::string stringSysVar(const char* name);
