// Test seam for file and registry failures. Production code asks
// faultpoint::fails("WriteFile") before such a call; a test installs a plan
// that answers, call by call, whether the call fails as a full disk or a
// lost share would. Without a plan nothing fails. The module's writer
// thread asks too, so a plan is installed and taken under a lock, and one
// that blocks (a server that does not answer) blocks only its caller.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include "common/criticalsection.h"

namespace faultpoint {

using Plan = std::function<bool(const char* call)>;

struct Installed {
    CriticalSection lock;
    std::shared_ptr<Plan> plan;
};

inline Installed& installed() {
    static Installed current;
    return current;
}

inline void install(Plan p) {
    std::shared_ptr<Plan> next = p ? std::make_shared<Plan>(std::move(p)) : nullptr;
    Installed& i = installed();
    Locked held(i.lock);
    i.plan = std::move(next);
}

inline bool fails(const char* call) {
    Installed& i = installed();
    std::shared_ptr<Plan> p;
    {
        Locked held(i.lock);
        p = i.plan;
    }
    return p && (*p)(call);
}

// The file the call asked about is for, while a plan answers (null when the
// caller named none): a plan standing in for one server asks it.
inline const char*& currentFile() {
    static thread_local const char* file = nullptr;
    return file;
}

// fails(call) for a call on that file.
inline bool failsFor(const char* call, const std::string& file) {
    const char* before = currentFile();
    currentFile() = file.c_str();
    const bool failed = fails(call);
    currentFile() = before;
    return failed;
}

// A plan that fails the k-th call from now on (k counts from 1), and with
// persistent every call after it too; calls() tells how many were asked.
class KthCall {
  public:
    KthCall(int k, bool persistent) : k_(k), persistent_(persistent) {}
    bool operator()(const char*) {
        ++calls_;
        return calls_ == k_ || (persistent_ && calls_ > k_);
    }
    int calls() const { return calls_; }

  private:
    int k_;
    bool persistent_;
    int calls_ = 0;
};

// Installs a plan for the life of the scope, and removes it on every way out.
class Scope {
  public:
    explicit Scope(Plan p) { install(std::move(p)); }
    ~Scope() { install(nullptr); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

} // namespace faultpoint
