// A lock between the host's thread and the module's own threads, and its
// holder for a scope. Critical sections, as every Windows the host runs on
// has them.
#pragma once
#include <windows.h>

class CriticalSection {
  public:
    CriticalSection() { InitializeCriticalSection(&cs_); }
    ~CriticalSection() { DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void enter() { EnterCriticalSection(&cs_); }
    void leave() { LeaveCriticalSection(&cs_); }

  private:
    CRITICAL_SECTION cs_;
};

// Holds the lock from construction to the end of the scope, on every way out.
class Locked {
  public:
    explicit Locked(CriticalSection& cs) : cs_(cs) { cs_.enter(); }
    ~Locked() { cs_.leave(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

  private:
    CriticalSection& cs_;
};
