#pragma once
// Resource ids of the Scheduler's windows (200-499).

// The list window.
#define IDD_SCHEDULER 200
#define IDC_LB1 210
#define IDC_LV 211
#define IDC_BTN_NEW 212
#define IDC_BTN_CHANGE 213
#define IDC_BTN_DELETE 214
// btnClose is IDCANCEL, so Esc closes.

// The task dialog and its three panels.
#define IDD_TASK 220
#define IDD_PANEL_DAILY 221
#define IDD_PANEL_WEEKLY 222
#define IDD_PANEL_MONTHLY 223
#define IDC_LB_TASK 230
#define IDC_CB_TASK 231
#define IDC_LB_TYPE 232
#define IDC_CB_TASK_TYPE 233
#define IDC_LB_START_TIME 234
#define IDC_EDT_START_HOUR 235
#define IDC_UD_START_HOUR 236
#define IDC_LB_START_COLON 237
#define IDC_EDT_START_MIN 238
#define IDC_UD_START_MIN 239
#define IDC_LB_START_DATE 240
#define IDC_EDT_START_DATE 241
#define IDC_BTN_TODAY 242
#define IDC_BTN_TOMORROW 243
#define IDC_GB_SETTING 244
#define IDC_BTN_ADV 245
// btnOk and btnCancel are IDOK and IDCANCEL.

#define IDC_LB_DDAY1 260
#define IDC_EDT_DDAY 261
#define IDC_UD_DDAY 262
#define IDC_LB_DDAY2 263

#define IDC_LB_WWEEK1 270
#define IDC_EDT_WWEEK 271
#define IDC_UD_WWEEK 272
#define IDC_LB_WWEEK2 273
#define IDC_CB_MWORK 274
#define IDC_CB_MMON 275 // Monday ... Sunday: IDC_CB_MMON + 0 ... 6
#define IDC_CB_MTUE 276
#define IDC_CB_MWED 277
#define IDC_CB_MTHU 278
#define IDC_CB_MFRI 279
#define IDC_CB_MSUT 280
#define IDC_CB_MSUN 281
#define IDC_CB_MHOL 282

#define IDC_RB_MDAY 290
#define IDC_EDT_MMONTH 291
#define IDC_UD_MMONTH 292
#define IDC_LB_MDAY 293
#define IDC_RB_MEXECUTE_AT 294
#define IDC_CB_MNOMB 295
#define IDC_CB_MDAYW 296
#define IDC_LB_MEXECUTE_AT 297
#define IDC_LB_MONTHS 298
#define IDC_CB_JAN 300 // January ... December: IDC_CB_JAN + 0 ... 11
#define IDC_CB_FEB 301
#define IDC_CB_MAR 302
#define IDC_CB_APR 303
#define IDC_CB_MAY 304
#define IDC_CB_JUN 305
#define IDC_CB_JUL 306
#define IDC_CB_AUG 307
#define IDC_CB_SEP 308
#define IDC_CB_OCT 309
#define IDC_CB_NOV 310
#define IDC_CB_DEC 311

// The options dialog.
#define IDD_ADVANCED 330
#define IDC_CB_END_DATE 340
#define IDC_EDT_END_DATE 341
#define IDC_CB_REPEAT_TASK 342
#define IDC_LB_EVERY 343
#define IDC_EDT_EVERY_HM 344
#define IDC_UD_EVERY_HM 345
#define IDC_CB_MIN_HOUR 346
#define IDC_RB_TIME 347
#define IDC_EDT_THOUR 348
#define IDC_UD_THOUR 349
#define IDC_LB_TCOLON 350
#define IDC_EDT_TMIN 351
#define IDC_UD_TMIN 352
#define IDC_RB_DURATION 353
#define IDC_EDT_DHOUR 354
#define IDC_UD_DHOUR 355
#define IDC_LB_DCOLON 356
#define IDC_EDT_DMIN 357
#define IDC_UD_DMIN 358
