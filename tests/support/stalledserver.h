// A folder on a server that does not answer: while it lives, every open of
// a file in it, on any thread (the host's too), waits for ten seconds or
// until answer(); with slowWrites, every write to a file by another thread
// than the one that made it takes that long too, and then succeeds.
#pragma once
#include <windows.h>
#include <cstring>
#include <string>
#include "common/faultpoint.h"
#include "common/handles.h"

class StalledServer {
  public:
    explicit StalledServer(const std::string& folder, DWORD slowWriteMs = 0)
        : answered_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          scope_([folder, slowWriteMs, caller = GetCurrentThreadId(),
                  answered = answered_.get()](const char* call) {
              const char* file = faultpoint::currentFile();
              if (std::strcmp(call, "CreateFileA") == 0 && file &&
                  _strnicmp(file, folder.c_str(), folder.size()) == 0)
                  WaitForSingleObject(answered, 10000);
              if (slowWriteMs && std::strcmp(call, "WriteFile") == 0 &&
                  GetCurrentThreadId() != caller)
                  WaitForSingleObject(answered, slowWriteMs);
              return false;
          }) {}
    ~StalledServer() { answer(); }
    void answer() { SetEvent(answered_.get()); }

  private:
    FileHandle answered_;
    faultpoint::Scope scope_;
};
