#pragma once
// Resource ids of the "Time" page (1100-1199).

#define IDD_PAGE_TIME 1100

#define IDC_TIME_DATE_LABEL 1101
#define IDC_TIME_DATE 1102
#define IDC_TIME_TIME_LABEL 1103
#define IDC_TIME_TIME 1104
#define IDC_TIME_APPLY 1105
#define IDC_TIME_RESET 1106
#define IDC_TIME_SYSTEM 1107
