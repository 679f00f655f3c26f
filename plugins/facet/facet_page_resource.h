#pragma once
// Ids of the Facet plug-in's settings page.

#define IDD_FACET_PAGE 100
#define IDC_USE_STYLE 1001
#define IDC_LFONT 1002
#define IDC_L3 1003
#define IDC_FONTS 1004
#define IDC_BOLD 1005
#define IDC_ITALIC 1006
