#pragma once
// Ids of the system commands' editor dialogs.

// TfrmCfg: two fields with a browse button.
#define IDD_CFG 100
#define IDC_CFG_LBL1 1001
#define IDC_CFG_EDIT1 1002
#define IDC_CFG_BROWSE1 1003
#define IDC_CFG_LBL2 1004
#define IDC_CFG_EDIT2 1005
#define IDC_CFG_BROWSE2 1006

// TfrmShDwn: the shut-down flags.
#define IDD_SHDWN 110
#define IDC_GB1 1101
#define IDC_LOGOFF 1102
#define IDC_SHUTDOWN 1103
#define IDC_REBOOT 1104
#define IDC_POWEROFF 1105
#define IDC_FORCE 1106
#define IDC_FORCEIFHUNG 1107

// TfrmFlash: count and period.
#define IDD_FLASH 120
#define IDC_FLASH_COUNT_LBL 1201
#define IDC_FLASH_COUNT 1202
#define IDC_FLASH_COUNT_UD 1203
#define IDC_FLASH_TIME_LBL 1204
#define IDC_FLASH_TIME 1205
#define IDC_FLASH_TIME_UD 1206

// TfrmDoCmnd: the command and the title condition.
#define IDD_DOCMND 130
#define IDC_DO_LBL_COMMAND 1301
#define IDC_DO_COMMAND 1302
#define IDC_DO_GROUP 1303
#define IDC_DO_ITEM0 1304
#define IDC_DO_ITEM1 1305
#define IDC_DO_ITEM2 1306
#define IDC_DO_TITLE 1307
