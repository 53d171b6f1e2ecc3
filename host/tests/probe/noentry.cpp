// A library that is not a host module: it lacks the entry point.
extern "C" __declspec(dllexport) int notAModule() {
    return 1;
}
