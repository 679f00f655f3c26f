#pragma once
// Ids of the sample plug-in's settings page (sample.rc).

#define IDD_SAMPLE_PAGE 100
#define IDC_GREETING_LABEL 101
#define IDC_GREETING 102
