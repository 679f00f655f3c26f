#pragma once
// One page of the options dialog: a child dialog shown in the dialog's page area when its
// tree node is selected. The dialog drives every page through this interface:
//   Create (hidden, inside the page area) → Translate → Fill (read the clock's values and
//   remember them) → Shown/Hidden as the tree selection moves → Ok (keep) or Cancel
//   (write the remembered values back, in the page's order).
// A page applies each change of its controls to the clock at once. Main thread only; no
// exception leaves a page's window procedure (the dialog base catches).

#include <windows.h>

namespace zt::options {

class TztSetupHost;

class TztSetupPage {
public:
    virtual ~TztSetupPage() = default;

    // The page name of the page-node table ("Opt", "Time", "Alarm", "Plg", "Ctrl", "About").
    virtual const wchar_t* Name() const = 0;
    // Creates the page's panel inside parent, hidden; false on failure.
    virtual bool Create(HWND parent) = 0;
    virtual HWND Panel() const = 0;

    // Captions and hints from the language module "Zentik" ("SETUP=" + control name, and
    // that + "Hint").
    virtual void Translate() {}
    // Reads the clock's values into the controls and remembers them.
    virtual void Fill() {}
    // Its node was selected / left.
    virtual void Shown() {}
    virtual void Hidden() {}
    // OK: keep the state (before the dialog saves all settings).
    virtual void Ok() {}
    // Cancel: write the remembered values back.
    virtual void Cancel() {}
};

} // namespace zt::options
