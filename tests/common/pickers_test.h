#pragma once
// Resource ids of the command picker's and hot-key field's tests.

#define IDD_PICKER_HOST 100
#define IDD_PICKER_PAGE 101
#define IDC_PICKER_COMMAND 102
#define IDC_PICKER_HOTKEY 103
#define IDC_PICKER_AFTER 104
