// Runs a callable on every way out of a scope.
#pragma once
#include <utility>

template <typename F> class ScopeGuard {
  public:
    explicit ScopeGuard(F f) : f_(std::move(f)) {}
    ~ScopeGuard() {
        if (armed_) f_();
    }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;
    void dismiss() { armed_ = false; }

  private:
    F f_;
    bool armed_ = true;
};

template <typename F> ScopeGuard<F> onScopeExit(F f) {
    return ScopeGuard<F>(std::move(f));
}
