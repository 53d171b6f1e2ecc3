// The message the previous run left: shown once over the host, then
// deleted; kept when it could not be shown; and a host that ends while the
// box is up.
#include <doctest.h>
#include <algorithm>
#include "cadhost.h"
#include "cmdlog/attachreactors.h"
#include "idle/idletimer.h"
#include "modulefixture.h"
#include "shell/guardapp.h"

using namespace testkit;
using namespace modtest;

TEST_CASE("the last run's message is shown once at start-up, then deleted") {
    Module m;
    Workspace w("lastrun-once");
    DialogDriver dialogs;
    modtest::setRegistryMessage("Your last session was aborted 06.12.2026 at 18:40:05.");
    dialogs.press(IDOK);
    m.start();
    m.stop();
    REQUIRE(dialogs.seen.size() == 1);
    CHECK(dialogs.seen[0].caption == "Tarnel - last session");
    CHECK(std::find(dialogs.seen[0].texts.begin(), dialogs.seen[0].texts.end(),
                    "Your last session was aborted 06.12.2026 at 18:40:05.") !=
          dialogs.seen[0].texts.end());
    CHECK(modtest::registryMessage() == "(none)");
    m.start();
    m.stop();
    CHECK(dialogs.seen.size() == 1);

    modtest::setRegistryMessage("");
    m.start();
    m.stop();
    CHECK(dialogs.seen.size() == 1);
    CHECK(modtest::registryMessage().empty());

    // A value that fills the whole buffer without a terminator stays inside it.
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, tarnelRegistryKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
    std::string full(1024, 'x');
    RegSetValueExA(key, "Message", 0, REG_BINARY, (const BYTE*)full.data(), 1024);
    RegCloseKey(key);
    dialogs.press(IDOK);
    m.start();
    m.stop();
    REQUIRE(dialogs.seen.size() == 2);
    CHECK(std::find(dialogs.seen[1].texts.begin(), dialogs.seen[1].texts.end(),
                    std::string(1023, 'x')) != dialogs.seen[1].texts.end());
    CHECK(modtest::registryMessage() == "(none)");

    // One longer than the buffer is shown as far as it goes, and deleted.
    modtest::setRegistryMessage(std::string(3000, 'y'));
    dialogs.press(IDOK);
    m.start();
    m.stop();
    REQUIRE(dialogs.seen.size() == 3);
    CHECK(std::find(dialogs.seen[2].texts.begin(), dialogs.seen[2].texts.end(),
                    std::string(1023, 'y')) != dialogs.seen[2].texts.end());
    CHECK(modtest::registryMessage() == "(none)");
}

TEST_CASE("a message that could not be shown stays for the next start") {
    Module m;
    Workspace w("lastrun-notshown");
    DialogDriver dialogs;
    setRegistryMessage("Your last session was aborted 07.12.2026 at 09:00:00.");
    dialogs.refuseNext();
    m.start();
    CHECK(dialogs.refused == 1);
    CHECK(dialogs.seen.empty());
    CHECK(registryMessage() == "Your last session was aborted 07.12.2026 at 09:00:00.");
    CHECK(appSettings() != nullptr); // start-up went on
    m.stop();
    dialogs.press(IDOK);
    m.start();
    m.stop();
    CHECK(dialogs.seen.size() == 1);
    CHECK(registryMessage() == "(none)");
}

TEST_CASE("a host that unloads the module while the box is up gets nothing started after") {
    Module m;
    Workspace w("lastrun-unload");
    DialogDriver dialogs;
    setRegistryMessage("Your last session was aborted 07.12.2026 at 09:00:00.");
    dialogs.answer([](const SeenDialog&) {
        // The host ends inside the box's message loop.
        acrxEntryPoint(AcRx::kUnloadAppMsg, nullptr);
        return IDOK;
    });
    m.start();
    m.started = false; // the host has already sent the unload
    REQUIRE(dialogs.seen.size() == 1);
    CHECK(appSettings() == nullptr);
    CHECK(commandLogReactor() == nullptr);
    CHECK(idleTimerState().timerId == 0);
    CHECK_FALSE(cadhost::commandRegistered("tarnel_opt"));
}

TEST_CASE("the options command is registered before start-up runs and removed at unload") {
    Module m;
    Workspace w("lastrun-command");
    DialogDriver dialogs;
    setRegistryMessage("Your last session was aborted 07.12.2026 at 09:00:00.");
    bool registeredDuringStartUp = false;
    dialogs.answer([&](const SeenDialog&) {
        registeredDuringStartUp = cadhost::commandRegistered("tarnel_opt");
        return IDOK;
    });
    CHECK_FALSE(cadhost::commandRegistered("tarnel_opt"));
    m.start();
    REQUIRE(dialogs.seen.size() == 1);
    CHECK(registeredDuringStartUp);
    CHECK(cadhost::commandRegistered("tarnel_opt"));
    m.stop();
    CHECK_FALSE(cadhost::commandRegistered("tarnel_opt"));
    CHECK_FALSE(cadhost::executeLine("tarnel_opt"));
}
