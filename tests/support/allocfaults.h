// Fails the module's allocations on purpose: a test executable that links
// allocfaults.cpp replaces the global operator new, so that the k-th
// allocation made while a scope is active throws std::bad_alloc (or gives
// null to a nothrow new), as an exhausted heap would.
#pragma once

namespace allocfaults {

class FailAt {
  public:
    // The k-th allocation from now on fails (k counts from 1); 0 fails none.
    explicit FailAt(long k);
    ~FailAt();
    FailAt(const FailAt&) = delete;
    FailAt& operator=(const FailAt&) = delete;
    // Whether the failure was reached.
    bool hit() const;
};

} // namespace allocfaults
