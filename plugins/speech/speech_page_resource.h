#pragma once
// Ids of the speaking clock's settings page.

#define IDD_SPEECH_PAGE 100
#define IDC_GBSPEAK 1001
#define IDC_TODAY 1002
#define IDC_TIME 1003
#define IDC_HOUR 1004
#define IDC_MINUTE 1005
#define IDC_DATE 1006
#define IDC_MONTH 1007
#define IDC_L1 1008
#define IDC_VOICES 1009
#define IDC_EVERY_HOUR 1010
#define IDC_TEST 1011
#define IDC_CHIME 1012
#define IDC_CHIME_FILE 1013
#define IDC_CHIME_OPEN 1014
#define IDC_CHIME_PLAY 1015
