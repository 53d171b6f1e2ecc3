// A log folder on a server that does not answer: while it lives, every
// open of a file by another thread than the one that made it (the module's
// log writer) waits, for ten seconds or until answer().
#pragma once
#include <windows.h>
#include <cstring>
#include "common/faultpoint.h"
#include "common/handles.h"

class StalledServer {
  public:
    StalledServer()
        : answered_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          scope_([caller = GetCurrentThreadId(), answered = answered_.get()](const char* call) {
              if (GetCurrentThreadId() != caller && std::strcmp(call, "CreateFileA") == 0)
                  WaitForSingleObject(answered, 10000);
              return false;
          }) {}
    ~StalledServer() { answer(); }
    void answer() { SetEvent(answered_.get()); }

  private:
    FileHandle answered_;
    faultpoint::Scope scope_;
};
