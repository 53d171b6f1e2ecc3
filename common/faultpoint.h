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
    explicit Scope(Plan p) { plan() = std::move(p); }
    ~Scope() { plan() = nullptr; }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

} // namespace faultpoint
