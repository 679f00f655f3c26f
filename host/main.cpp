#include <windows.h>

#include "host/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    return zt::RunZentik(instance);
}
