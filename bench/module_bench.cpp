// Module benchmark: the idle tick with 1, 10 and 100 open drawings, the
// module's start-up and unload, and the close action per drawing apart
// from the save itself (quit without saving: close, report, message).
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include "acdocman.h"
#include "cadhost.h"
#include "idle/closeaction.h"
#include "idle/idletimer.h"
#include "modulefixture.h"
#include "shell/arxapplication.h"

namespace {

double now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return (double)c.QuadPart * 1e6 / (double)f.QuadPart;
}

void openDrawings(const std::string& dir, int n) {
    for (int i = 0; i < n; ++i) {
        std::string name = dir + "\\b" + std::to_string(i) + ".dwg";
        testkit::writeFile(name, "CADHOST DRAWING 1\r\n");
        cadhost::openDrawing(name.c_str());
    }
}

} // namespace

int main() {
    std::string dir = testkit::freshDir("bench-module");
    SetCurrentDirectoryA(dir.c_str());
    modtest::Module m;

    std::printf("idle tick (no countdown), best of 3 rounds of 2000 ticks\n");
    m.start({{"TimeInactivity", "120"}});
    for (int drawings : {1, 10, 100}) {
        cadhost::closeAllDrawings();
        openDrawings(dir, drawings);
        double best = 1e9;
        for (int round = 0; round < 3; ++round) {
            resetIdle();
            double a = now();
            for (int i = 0; i < 2000; ++i)
                idleTick(nullptr, WM_TIMER, 0, 0);
            best = std::min(best, (now() - a) / 2000);
        }
        std::printf("  %3d drawings: %8.2f us per tick\n", drawings, best);
    }
    cadhost::closeAllDrawings();
    m.stop();

    const int starts = 50;
    double init = 0, unload = 0;
    for (int i = 0; i < starts; ++i) {
        modtest::writeSettings({});
        double a = now();
        currentApp()->dispatch(AcRx::kInitAppMsg, nullptr);
        double b = now();
        currentApp()->dispatch(AcRx::kUnloadAppMsg, nullptr);
        double c = now();
        init += b - a;
        unload += c - b;
    }
    std::printf("start-up and unload, mean of %d\n", starts);
    std::printf("  kInitAppMsg to return:   %8.1f us\n", init / starts);
    std::printf("  kUnloadAppMsg to return: %8.1f us (the settings file written)\n",
                unload / starts);

    std::printf("close action per drawing, without the save (quit without saving)\n");
    for (int drawings : {1, 10, 50}) {
        modtest::deleteRegistryMessage(); // the last run's box would wait for a user
        m.start({{"Action", "0"}});
        openDrawings(dir, drawings);
        double a = now();
        runCloseAction(nullptr);
        double per = (now() - a) / drawings;
        std::printf("  %3d drawings: %8.1f us per drawing\n", drawings, per);
        m.stop();
        cadhost::closeAllDrawings();
        cadhost::createMainWindow(true);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    return 0;
}
