// Test seam for file and registry failures. Production code asks
// faultpoint::fails("WriteFile") before such a call; a test installs a plan
// that answers, call by call, whether the call fails as a full disk or a
// lost share would. Without a plan nothing fails.
#pragma once
#include <functional>

namespace faultpoint {

using Plan = std::function<bool(const char* call)>;

inline Plan& plan() {
    static Plan current;
    return current;
}

inline bool fails(const char* call) {
    const Plan& p = plan();
    return p && p(call);
}

// Installs a plan for the life of the scope, and removes it on every way out.
class Scope {
  public:
    explicit Scope(Plan p) { plan() = std::move(p); }
    ~Scope() { plan() = nullptr; }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

} // namespace faultpoint
