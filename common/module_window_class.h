#pragma once
// A window class of the module this code is linked into (the program or a plug-in
// library): registered on first use and unregistered when the object goes (at the
// module's unload for a static object), so a library carrying it can be loaded again at
// another address. A class of the same name that an earlier load of the library at the
// same address left registered (its windows outlived the class object) is replaced. Use it
// from one thread.

#include <windows.h>

namespace zt {

// The module (program or library) this code is linked into.
HINSTANCE CurrentModule() noexcept;

class ModuleWindowClass {
public:
    struct Fields {
        const wchar_t* name;
        WNDPROC procedure;
        UINT style = 0;
        int windowExtra = 0;
        const wchar_t* cursor = nullptr; // a system cursor id such as IDC_ARROW
    };

    constexpr explicit ModuleWindowClass(Fields fields) noexcept : fields_(fields) {}
    ~ModuleWindowClass();
    ModuleWindowClass(const ModuleWindowClass&) = delete;
    ModuleWindowClass& operator=(const ModuleWindowClass&) = delete;

    // The class atom, registering the class first when needed; 0 on failure.
    ATOM Get() noexcept;
    // The module the class is registered for (after Get).
    HINSTANCE Instance() const noexcept { return instance_; }
    const wchar_t* Name() const noexcept { return fields_.name; }
    int WindowExtra() const noexcept { return fields_.windowExtra; }

private:
    Fields fields_;
    ATOM atom_ = 0;
    HINSTANCE instance_ = nullptr;
};

} // namespace zt
