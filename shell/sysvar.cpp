#include "shell/sysvar.h"
#include <cstdlib>
#include "aced.h"

bool shortSysVar(const char* name, int& value) {
    resbuf rb = {};
    if (acedGetVar(name, &rb) != RTNORM || rb.restype != RTSHORT) return false;
    value = rb.resval.rint;
    return true;
}

std::string stringSysVar(const char* name) {
    resbuf rb = {};
    if (acedGetVar(name, &rb) != RTNORM || rb.restype != RTSTR || !rb.resval.rstring)
        return std::string();
    std::string text = rb.resval.rstring;
    std::free(rb.resval.rstring); // the caller's to free
    return text;
}
