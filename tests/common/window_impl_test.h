#pragma once
// Resource ids of the window base's tests.

#define IDD_WINDOW_IMPL_PROBE 100
#define IDC_PROBE_TEXT 101
