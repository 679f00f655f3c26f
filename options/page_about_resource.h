#pragma once
// Resource ids of the "About" page (1500-1599).

#define IDD_PAGE_ABOUT 1500
#define IDC_ABOUT_ICON 1501
#define IDC_ABOUT_PRODUCT 1502
#define IDC_ABOUT_VERSION 1503
#define IDC_ABOUT_LEGAL 1504
#define IDC_ABOUT_COMMENT 1505
