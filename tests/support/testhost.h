// A host of the tests' own behind the port: drawings in memory, each with
// its name, DBMOD and what its saves do, and every operation that changes
// something written down in order, so a test reads the core's sequence of
// host calls as data. No stand-in runtime is needed.
#pragma once
#include <map>
#include <string>
#include <vector>
#include "port/hostport.h"

namespace testhost {

struct Drawing {
    std::string name;
    bool named = true;         // the host gives it a file name
    bool database = true;      // and a database to save
    bool quiescent = true;     // no command runs in it
    int dbmod = 1;             // unsaved changes
    bool dbmodAfterSave = false; // a save leaves DBMOD set (a reactor changed it)
    int refuseSaves = 0;       // this many saves from now on are refused
};

class Host {
  public:
    Host();
    // Adds a drawing, which becomes the current one; its handle.
    TarnelDrawing open(const Drawing& drawing);
    const TarnelHostOps* ops() const { return &ops_; }
    // The operations that changed something, in order, and the variables
    // read: "current+lock a.dwg", "push DBMOD a.dwg", "save a.dwg as X",
    // "pop DBMOD a.dwg", "read DBMOD", "unlock a.dwg", "close a.dwg",
    // "send a.dwg ^C^C", "application context", "pump", "lock application",
    // "unlock application", "push resources", "pop resources".
    std::vector<std::string> calls;
    std::vector<std::string> openNames() const;
    std::string productKey = "Software\\Tarnel core test";

    // The port's view of the host, for the table's functions.
    std::map<long, Drawing> drawings; // by handle
    std::vector<long> order;
    long current = 0;
    long next = 1;

  private:
    TarnelHostOps ops_;
};

} // namespace testhost
