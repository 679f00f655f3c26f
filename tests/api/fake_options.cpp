// A stand-in for the options library: a page table and a log of the calls made to it.

#include <windows.h>

#include <list>
#include <string>

namespace {

std::list<std::wstring> gNodes; // a node is the address of its name
std::wstring gLog;

} // namespace

extern "C" {

__declspec(dllexport) void* __stdcall GetNode(const wchar_t* name) {
    for (std::wstring& node : gNodes)
        if (node == name)
            return &node;
    return nullptr;
}

__declspec(dllexport) void __stdcall ActiveSetupNode(void* node) {
    try {
        gLog += L"select " + *static_cast<std::wstring*>(node) + L";";
    } catch (...) {
    }
}

__declspec(dllexport) BOOL __stdcall AddPluginMenuNode(const wchar_t* caption, const wchar_t* name,
                                                       void** node, HWND page) {
    try {
        gNodes.emplace_back(name);
        *node = &gNodes.back();
        gLog += L"add " + std::wstring(caption) + L"|" + name + L"|" +
                std::to_wstring(reinterpret_cast<UINT_PTR>(page)) + L";";
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

__declspec(dllexport) const wchar_t* __stdcall FakeOptionsLog() {
    return gLog.c_str();
}
}
