#pragma once
// Resource identifiers of Uplift.exe.

#define IDD_FRM_UPDATE 100

// Controls of TfrmUpdate; the string with a control's identifier is its hint.
#define IDC_BTN_CHECK 1001
#define IDC_BTN_CANCEL 1002
#define IDC_BTN_LOAD 1003
#define IDC_BTN_OPEN_DIR 1004
#define IDC_LBL_STATUS 1005
#define IDC_PR_BAR 1006
#define IDC_LV 1007

#define IDS_LIST_ADDRESS 200
