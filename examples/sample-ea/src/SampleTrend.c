/* SampleTrend.dll, the sample product's library: the slope of a moving average, which the expert
 * advisor can call instead of computing it in MQL. The same source builds the 32-bit DLL that
 * MetaTrader 4 loads (files/MQL4/Libraries) and the 64-bit one that MetaTrader 5 loads
 * (files/MQL5/Libraries); scripts/sample-dlls builds both. It needs no C runtime, so that it
 * loads on any Windows without a redistributable package: kernel32 is its only import. */
#include <windows.h>

/* +1 when the simple moving average of Period closes rises from the bar before, -1 when it
 * falls, 0 when it is flat or the closes are too few. Closes[0] is the newest bar, as in MQL's
 * series arrays. */
__declspec(dllexport) int __stdcall TrendDirection(const double* closes, int count, int period) {
    if (!closes || period <= 0 || count < period + 1)
        return 0;
    double now = 0, before = 0;
    for (int i = 0; i < period; ++i) {
        now += closes[i];
        before += closes[i + 1];
    }
    return now > before ? 1 : now < before ? -1 : 0;
}

BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}
