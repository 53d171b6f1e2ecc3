// Owners of Win32 handles: one owner type per kind of handle. An owner
// closes what it holds when it goes, and before it takes another handle.
#pragma once
#include <windows.h>
#include <utility>

template <typename T, typename Traits> class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(T h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    T get() const { return h_; }
    bool valid() const { return Traits::valid(h_); }
    explicit operator bool() const { return valid(); }
    // Closes the handle held (unless it is h itself) and takes h.
    void reset(T h = Traits::invalid()) {
        T old = h_;
        h_ = h;
        if (Traits::valid(old) && old != h) Traits::close(old);
    }
    // The slot for an API that returns a handle through a pointer; what was
    // held is closed first.
    T* put() {
        reset();
        return &h_;
    }
    T release() {
        T h = h_;
        h_ = Traits::invalid();
        return h;
    }

  private:
    T h_ = Traits::invalid();
};

struct FileHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct RegKeyTraits {
    static HKEY invalid() { return nullptr; }
    static bool valid(HKEY h) { return h != nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};
struct FontTraits {
    static HFONT invalid() { return nullptr; }
    static bool valid(HFONT h) { return h != nullptr; }
    static void close(HFONT h) { DeleteObject(h); }
};
// For cursors the module made itself (CopyCursor, CreateCursor); a shared
// cursor from LoadCursor is not destroyed and needs no owner.
struct CursorTraits {
    static HCURSOR invalid() { return nullptr; }
    static bool valid(HCURSOR h) { return h != nullptr; }
    static void close(HCURSOR h) { DestroyCursor(h); }
};
struct WindowTraits {
    static HWND invalid() { return nullptr; }
    static bool valid(HWND h) { return h != nullptr; }
    static void close(HWND h) {
        if (IsWindow(h)) DestroyWindow(h);
    }
};
struct LibraryTraits {
    static HMODULE invalid() { return nullptr; }
    static bool valid(HMODULE h) { return h != nullptr; }
    static void close(HMODULE h) { FreeLibrary(h); }
};

struct FindTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};

struct HookTraits {
    static HHOOK invalid() { return nullptr; }
    static bool valid(HHOOK h) { return h != nullptr; }
    static void close(HHOOK h) { UnhookWindowsHookEx(h); }
};

using FileHandle = UniqueHandle<HANDLE, FileHandleTraits>;
using RegKey = UniqueHandle<HKEY, RegKeyTraits>;
using FontHandle = UniqueHandle<HFONT, FontTraits>;
using CursorHandle = UniqueHandle<HCURSOR, CursorTraits>;
using WindowHandle = UniqueHandle<HWND, WindowTraits>;
using LibraryHandle = UniqueHandle<HMODULE, LibraryTraits>;
using FindHandle = UniqueHandle<HANDLE, FindTraits>;
using HookHandle = UniqueHandle<HHOOK, HookTraits>;
