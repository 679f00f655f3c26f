// A library with the plug-in extension but without ztRegisterPlugin.

#include <windows.h>

extern "C" __declspec(dllexport) int __stdcall NothingToSee() {
    return 0;
}
