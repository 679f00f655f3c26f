#pragma once
// Resource ids of the alarm page frame and its fast-schedule menu (100-199).

#define IDD_ALARM_FRAME 100

#define IDC_ALARM_GBOX 101
#define IDC_ALARM_SHED 102
#define IDC_ALARM_SV 103
#define IDC_ALARM_FAST_SCHED 104
#define IDC_ALARM_SVEV 105

#define IDM_FAST_SCHEDULE 110

// The timed items in menu order, then N_Shed.
#define IDM_FS_1 120
#define IDM_FS_2 121
#define IDM_FS_5 122
#define IDM_FS_10 123
#define IDM_FS_15 124
#define IDM_FS_20 125
#define IDM_FS_30 126
#define IDM_FS_60 127
#define IDM_FS_120 128
#define IDM_FS_180 129
#define IDM_FS_240 130
#define IDM_FS_360 131
#define IDM_FS_720 132
#define IDM_FS_1440 133
#define IDM_FS_2880 134
#define IDM_FS_10080 135
#define IDM_FS_SHED 136
