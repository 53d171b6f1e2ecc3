// Puts the process's working directory back when the scope ends, whatever
// moved it meanwhile.
#pragma once
#include <windows.h>

class CurrentDirectoryScope {
  public:
    CurrentDirectoryScope() { saved_ = GetCurrentDirectoryA(MAX_PATH, dir_) - 1 < MAX_PATH - 1; }
    ~CurrentDirectoryScope() {
        if (saved_) SetCurrentDirectoryA(dir_);
    }
    CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
    CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

  private:
    char dir_[MAX_PATH] = {};
    bool saved_;
};
