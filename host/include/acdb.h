// Drawing databases and system variables of the host.
#pragma once
#include "acrx.h"

class HOST_API AcDbDatabase : public AcRxObject {
  public:
    // Writes the drawing to fileName; an error status when it cannot.
    virtual Acad::ErrorStatus saveAs(const char* fileName) = 0;
};

#define RTNORM 5100
#define RTERROR (-5001)
#define RTSHORT 5003
#define RTSTR 5005

struct resbuf {
    resbuf* rbnext;
    short restype;
    union {
        double rreal;
        short rint;
        char* rstring;
        long rlong;
    } resval;
};

// Reads a system variable of the current drawing ("DBMOD", "CMDACTIVE",
// "CMDNAMES"); RTNORM or RTERROR. A string result is the caller's to free().
HOST_API int acedGetVar(const char* name, resbuf* result);
