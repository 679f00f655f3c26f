#include <windows.h>

#include "common/diag_log.h"
#include "host/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    try {
        return zt::RunZentik(instance);
    } catch (...) {
        // The exit code is 0 on every path; the failure leaves a trace.
        zt::DiagLogCaught(L"Zentik");
        return 0;
    }
}
