// The shared utilities: handle owners, scope guards and the shield.
#include <doctest.h>
#include <stdexcept>
#include "common/handles.h"
#include "common/scopeguard.h"
#include "common/shield.h"
#include "testkit.h"

using namespace testkit;

namespace {

// A handle that holds the file against every other opener.
HANDLE openExclusive(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool canOpen(const std::string& path) {
    FileHandle f(openExclusive(path));
    return f.valid();
}

} // namespace

TEST_CASE("a file owner closes what it held when it takes another handle, and when it goes") {
    std::string dir = freshDir("common-handles");
    const std::string a = dir + "\\a.bin", b = dir + "\\b.bin";
    {
        FileHandle owner(openExclusive(a));
        REQUIRE(owner.valid());
        CHECK_FALSE(canOpen(a));
        owner.reset(openExclusive(b));
        CHECK(canOpen(a));
        CHECK_FALSE(canOpen(b));
        *owner.put() = openExclusive(a); // put() let b go first
        CHECK(canOpen(b));
        CHECK_FALSE(canOpen(a));
        FileHandle moved(std::move(owner));
        CHECK_FALSE(owner.valid());
        CHECK_FALSE(canOpen(a));
    }
    CHECK(canOpen(a));
    CHECK(canOpen(b));
}

TEST_CASE("a registry key owner closes the key before put() hands out its slot") {
    RegKey key;
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.put()) == ERROR_SUCCESS);
    HKEY first = key.get();
    DWORD subkeys = 0;
    CHECK(RegQueryInfoKeyA(first, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS);
    key.put();
    CHECK(key.get() == nullptr);
    CHECK(RegQueryInfoKeyA(first, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS);
}

TEST_CASE("a window owner destroys its window; a font owner deletes its font") {
    HWND w = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    REQUIRE(w != nullptr);
    {
        WindowHandle owner(w);
        CHECK(IsWindow(w));
    }
    CHECK_FALSE(IsWindow(w));
    HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                             0, "Arial");
    REQUIRE(font != nullptr);
    {
        FontHandle owner(font);
        CHECK(GetObjectType(font) == OBJ_FONT);
    }
    CHECK(GetObjectType(font) == 0);
}

TEST_CASE("a scope guard runs on every way out unless dismissed; the shield keeps throws in") {
    int runs = 0;
    CHECK_FALSE(shielded([&] {
        auto g = onScopeExit([&] { ++runs; });
        throw std::runtime_error("lost");
    }));
    CHECK(runs == 1);
    {
        auto g = onScopeExit([&] { ++runs; });
        g.dismiss();
    }
    CHECK(runs == 1);
    CHECK(shielded([&] { ++runs; }));
    CHECK(runs == 2);
}
