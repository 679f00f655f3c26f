#pragma once
// Ids of the Netkit plug-in's page and of its frame on the options dialog's time page.

#define IDD_NETKIT_PAGE 100
#define IDD_NETKIT_TIME_FRAME 101

#define IDC_GB1 1001
#define IDC_L1 1002
#define IDC_HOST_LIST 1003
#define IDC_CHECK_NEXT 1004
#define IDC_SYNCH 1005
#define IDC_ADD_SCH 1006
#define IDC_L2 1007
#define IDC_STATUS 1008
#define IDC_DEF 1009
#define IDC_ADV 1010
#define IDC_EDIT_HL 1011
#define IDC_HL 1012
#define IDC_L3 1013
#define IDC_TIMEOUT 1014
#define IDC_OK_HL 1015

#define IDC_FRAME_SYNCH 1101
