#pragma once
// Resource ids of the options dialog itself (100-999).

#define IDD_SETUP 100
#define IDD_EMPTY_PAGE 101

#define IDC_TVLEFT 110
#define IDC_PAGE_AREA 111
#define IDC_CBLANG 112
#define IDC_BTNEXP 113
#define IDC_PLUGIN_CAPTION 114
