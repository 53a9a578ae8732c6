// An add-on DLL built against a runtime no computer has, and that runtime: the install ships
// probe.dll alone, so that the DLL it imports is missing, as a Visual C++ runtime is on many
// traders' computers.
#include <windows.h>

#ifdef KO_PROBE_RUNTIME
extern "C" __declspec(dllexport) int ProbeRuntimeVersion() {
    return 140;
}
#else
extern "C" __declspec(dllimport) int ProbeRuntimeVersion();

extern "C" __declspec(dllexport) int ProbeVersion() {
    return ProbeRuntimeVersion();
}
#endif
