#pragma once
// The built-in pages of the options dialog, one factory each, in tree order. Each page
// lives in options/page_<name>.cpp with its template in options/page_<name>.rc. The dialog
// creates every page with its factory, then calls Create(page area), Translate, Fill; a
// factory that returns null, or a page whose Create fails, is replaced by an empty page of
// that name. A page may keep host for its life (the dialog outlives its pages).
//
// OK calls every page's Ok in this order, then saves all settings (IZentik::DoAction
// ztaSaveSettings); the bindings page writes its table back (IztBindings::SetBindings) in
// its Ok. Cancel calls Cancel of "Opt" first, then of "Alarm", then the others.

#include <memory>

#include "options/setup_page.h"

namespace zt::options {

class TztSetupHost;

std::unique_ptr<TztSetupPage> CreatePageOpt(TztSetupHost& host);      // TztPageOpt, "Opt"
std::unique_ptr<TztSetupPage> CreatePageTime(TztSetupHost& host);     // TztPageTime, "Time"
std::unique_ptr<TztSetupPage> CreatePageAlarm(TztSetupHost& host);    // TztPageAlarm, "Alarm"
std::unique_ptr<TztSetupPage> CreatePagePlugins(TztSetupHost& host);  // TztPagePlugins, "Plg"
std::unique_ptr<TztSetupPage> CreatePageBindings(TztSetupHost& host); // TztPageBindings, "Ctrl"
std::unique_ptr<TztSetupPage> CreatePageAbout(TztSetupHost& host);    // TztPageAbout, "About"

} // namespace zt::options
