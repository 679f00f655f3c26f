#pragma once
// Resource ids of the "Alarm" page (1200-1299).

#define IDD_PAGE_ALARM 1200

#define IDC_ALARM_SWITCH 1201
#define IDC_ALARM_TIME_LABEL 1202
#define IDC_ALARM_TIME 1203
#define IDC_ALARM_COMMAND_LABEL 1204
#define IDC_ALARM_COMMAND 1205
