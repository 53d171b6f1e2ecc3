// The module shell: message dispatch, paths, strings, host look-ups, help.
#include <doctest.h>
#include <string>
#include <vector>
#include "aced.h"
#include "shell/arxapplication.h"
#include "shell/guardapp.h"
#include "adapter/adapter.h"
#include "modulefixture.h"
#include "shell/stringloader.h"
#include "port/hostport.h"

using namespace testkit;

namespace {

struct RecordingApp : ArxApplication {
    std::vector<std::string> calls;
    void* dialogPointer = nullptr;
    appmsg::Result note(const char* what) {
        calls.push_back(what);
        return appmsg::kRetOK;
    }
    appmsg::Result onInitApp() override { return note("onInitApp"); }
    appmsg::Result onUnloadApp() override { return note("onUnloadApp"); }
    appmsg::Result onLoadDwg() override { return note("onLoadDwg"); }
    appmsg::Result onUnloadDwg() override { return note("onUnloadDwg"); }
    appmsg::Result onSave() override { return note("onSave"); }
    appmsg::Result onEnd() override { return note("onEnd"); }
    appmsg::Result onQuit() override { return note("onQuit"); }
    appmsg::Result onCfg() override { return note("onCfg"); }
    appmsg::Result onInvkSubr() override { return note("onInvkSubr"); }
    appmsg::Result onDependency() override { return note("onDependency"); }
    appmsg::Result onNoDependency() override { return note("onNoDependency"); }
    appmsg::Result onOleUnloadApp() override { return note("onOleUnloadApp"); }
    appmsg::Result onPreQuit() override { return note("onPreQuit"); }
    appmsg::Result onInitDialog(void* p) override {
        dialogPointer = p;
        return note("onInitDialog");
    }
    appmsg::Result onEndDialog(void* p) override {
        dialogPointer = p;
        return note("onEndDialog");
    }
    void registerClasses() override { note("registerClasses"); }
    void unregisterClasses() override { note("unregisterClasses"); }
    void registerCommands() override { note("registerCommands"); }
    void unregisterCommands() override { note("unregisterCommands"); }
    void initHookA() override { note("initHookA"); }
    void initHookB() override { note("initHookB"); }
    void unloadHook() override { note("unloadHook"); }
};

} // namespace

TEST_CASE("every message code reaches its handler; others only store the id") {
    ArxApplication* guard = currentApp();
    {
        RecordingApp app;
        CHECK(currentApp() == &app);
        // An application that is not a GuardApp is never handed out as one.
        CHECK(guardApp() == nullptr);
        CHECK(appSettings() == nullptr);
        const char* expected[] = {nullptr,          nullptr,      nullptr,        "onLoadDwg",
                                  "onUnloadDwg",    "onInvkSubr", "onCfg",        "onEnd",
                                  "onQuit",         "onSave",     "onDependency", "onNoDependency",
                                  "onOleUnloadApp", "onPreQuit",  "onInitDialog", "onEndDialog"};
        int marker = 0;
        for (int code = 3; code <= 15; ++code) {
            app.calls.clear();
            app.dialogPointer = nullptr;
            CHECK(app.dispatch(code, &marker) == appmsg::kRetOK);
            REQUIRE(app.calls.size() == 1);
            CHECK(app.calls[0] == expected[code]);
            CHECK(app.appId() == &marker);
            CHECK(app.dialogPointer == ((code == 14 || code == 15) ? &marker : nullptr));
        }
        for (int code : {0, 16, 17, 99, -1}) {
            app.calls.clear();
            int other = code;
            CHECK(app.dispatch(code, &other) == appmsg::kRetOK);
            CHECK(app.calls.empty());
            CHECK(app.appId() == &other);
        }
        app.calls.clear();
        app.dispatch(appmsg::kInitAppMsg, nullptr);
        CHECK(app.calls == std::vector<std::string>{"registerClasses", "registerCommands",
                                                    "initHookA", "initHookB", "onInitApp"});
        app.calls.clear();
        app.dispatch(appmsg::kUnloadAppMsg, nullptr);
        CHECK(app.calls == std::vector<std::string>{"unloadHook", "unregisterCommands",
                                                    "unregisterClasses", "onUnloadApp"});
    }
    CHECK(currentApp() == guard);
}

TEST_CASE("the core takes an adapter's tables of its own port version only, and its "
          "notifications reach the application with the host's token") {
    const struct {
        const char* name;
        bool hostGiven;
        unsigned long hostSize, hostVersion, eventsSize, eventsVersion;
        bool operationLeftOut;
        int fit;
    } cases[] = {
        {"this build", true, sizeof(TarnelHostOps), TARNEL_PORT_VERSION,
         sizeof(TarnelCoreEvents), TARNEL_PORT_VERSION, false, TARNEL_PORT_FITS},
        {"an adapter of another port version", true, sizeof(TarnelHostOps),
         TARNEL_PORT_VERSION + 1, sizeof(TarnelCoreEvents), TARNEL_PORT_VERSION + 1, false,
         TARNEL_PORT_OTHER_VERSION},
        {"an adapter with fewer operations", true, sizeof(TarnelHostOps) - sizeof(void*),
         TARNEL_PORT_VERSION, sizeof(TarnelCoreEvents), TARNEL_PORT_VERSION, false,
         TARNEL_PORT_TOO_SMALL},
        {"an adapter that left an operation out", true, sizeof(TarnelHostOps),
         TARNEL_PORT_VERSION, sizeof(TarnelCoreEvents), TARNEL_PORT_VERSION, true,
         TARNEL_PORT_TOO_SMALL},
        {"room for fewer notifications", true, sizeof(TarnelHostOps), TARNEL_PORT_VERSION,
         sizeof(TarnelCoreEvents) - sizeof(void*), TARNEL_PORT_VERSION, false,
         TARNEL_PORT_TOO_SMALL},
        {"no operations", false, 0, 0, sizeof(TarnelCoreEvents), TARNEL_PORT_VERSION, false,
         TARNEL_PORT_NO_TABLE},
    };
    for (const auto& c : cases) {
        CAPTURE(c.name);
        TarnelHostOps host;
        fillHostOps(&host);
        host.size = c.hostSize;
        host.version = c.hostVersion;
        if (c.operationLeftOut) host.pumpMessage = nullptr;
        TarnelCoreEvents events = {};
        events.size = c.eventsSize;
        events.version = c.eventsVersion;
        CHECK(TarnelCoreOpen(c.hostGiven ? &host : nullptr, &events) == c.fit);
        // A refused adapter's table is left as it gave it.
        CHECK((events.initApp != nullptr) == (c.fit == TARNEL_PORT_FITS));
    }
    TarnelHostOps host;
    fillHostOps(&host);
    TarnelCoreEvents events = {};
    events.size = sizeof events;
    events.version = TARNEL_PORT_VERSION;
    REQUIRE(TarnelCoreOpen(&host, &events) == TARNEL_PORT_FITS);
    REQUIRE((events.unloadApp != nullptr));
    REQUIRE((events.loadDrawing != nullptr));
    RecordingApp app;
    int token = 0;
    CHECK(events.initApp(events.core, &token) == 0);
    CHECK(app.appId() == &token);
    events.loadDrawing(events.core, &token);
    CHECK(events.unloadApp(events.core, &token) == 0);
    CHECK(app.calls == std::vector<std::string>{"registerClasses", "registerCommands",
                                                "initHookA", "initHookB", "onInitApp",
                                                "onLoadDwg", "unloadHook",
                                                "unregisterCommands", "unregisterClasses",
                                                "onUnloadApp"});
    events.close(events.core);
    modtest::openCore(); // the table of the tests that follow
}

TEST_CASE("module paths, strings and host class look-ups") {
    modtest::Module m;
    ArxApplication* app = currentApp();
    CHECK(std::string(app->moduleDirectory()) == binDir());
    CHECK(std::string(app->moduleFileName()) == "\\shell_test.exe");
    CHECK(app->resourceInstance() != app->moduleInstance());

    CHECK(loadString(6) == "Tarnel - last session");
    CHECK(loadString(13) == std::string(59, '=') + "\n");
    CHECK(loadString(4321).empty());
    CHECK(loadStringOr(4321, "built in") == "built in");

    AcRxObject* stack = hostService("ACAD_REGISTERED_COMMANDS", "AcEdCommandStack");
    REQUIRE(stack != nullptr);
    CHECK(std::string(stack->isA()->name()) == "AcEdCommandStack");
    CHECK(hostService("AcEditor", "AcEditor") != nullptr);
    CHECK(hostService("DynamicLinker", "AcRxDynamicLinker") != nullptr);
    // Another class than the entry's, or no such class, is no service.
    CHECK(hostService("AcEditor", "AcEdCommandStack") == nullptr);
    CHECK(hostService("AcEditor", "NoSuchClass") == nullptr);

    HINSTANCE saved = app->moduleInstance();
    app->setModuleInstance((HINSTANCE)0x1230);
    CHECK(app->moduleDirectory() == nullptr);
    CHECK(app->moduleFileName() == nullptr);
    app->setModuleInstance(saved);
}

TEST_CASE("missing or foreign host services do not crash start-up") {
    modtest::Module m;
    for (const char* entry : {"DynamicLinker", "ACAD_REGISTERED_COMMANDS", "AcEditor"}) {
        CAPTURE(entry);
        const bool commands = std::string(entry) == "ACAD_REGISTERED_COMMANDS";
        const char* cls = commands ? "AcEdCommandStack"
                          : std::string(entry) == "AcEditor" ? "AcEditor"
                                                             : "AcRxDynamicLinker";
        {
            modtest::HostFaults faults;
            faults->missingEntry = entry;
            CHECK(hostService(entry, cls) == nullptr);
            m.start();
            CHECK(appSettings() != nullptr);
            CHECK(cadhost::commandRegistered("tarnel_opt") == !commands);
            m.stop();
        }
        {
            modtest::HostFaults faults;
            faults->wrongClassEntry = entry;
            CHECK(hostService(entry, cls) == nullptr);
            m.start();
            CHECK(appSettings() != nullptr);
            m.stop();
        }
    }
    CHECK(currentApp()->dispatch(appmsg::kInitAppMsg, nullptr) == appmsg::kRetOK);
    CHECK(currentApp()->dispatch(appmsg::kUnloadAppMsg, nullptr) == appmsg::kRetOK);
}

TEST_CASE("help opens the help file at the options topic") {
    modtest::Module m;
    REQUIRE(fileExists(binDir() + "\\tarnel.chm"));
    guardApp()->showHelp(1000);
    HWND help = nullptr;
    for (int i = 0; i < 100 && !help; ++i) {
        pump(50);
        help = FindWindowA("HH Parent", nullptr);
    }
    REQUIRE(help != nullptr);
    CHECK(GetModuleHandleA("hhctrl.ocx") != nullptr);
    DestroyWindow(help);
    guardApp()->showHelp(1000); // the library stays loaded and serves again
    CHECK(GetModuleHandleA("hhctrl.ocx") != nullptr);
    pump(200);
    if (HWND again = FindWindowA("HH Parent", nullptr)) DestroyWindow(again);
}
