// Every entry the host calls runs its work through shielded(): nothing
// thrown on the module's side may unwind into the host, whose frames were
// not built for it.
#pragma once

// Runs f; false when it threw (the exception is dropped here).
template <typename F> bool shielded(F&& f) noexcept {
    try {
        f();
        return true;
    } catch (...) {
        return false;
    }
}
