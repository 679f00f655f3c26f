#pragma once
// Resource ids of the "Ctrl" page (1400-1499).

#define IDD_PAGE_BINDINGS 1400

#define IDC_BIND_LIST 1401
#define IDC_BIND_ADD 1402
#define IDC_BIND_DELETE 1403
#define IDC_BIND_EDITOR 1404

// The new-binding panel pNewEvnt, a child dialog of the page.
#define IDD_NEW_BINDING 1420

#define IDC_NEW_MAIN 1421
#define IDC_NEW_TRAY 1422
#define IDC_NEW_HOTKEY 1423
#define IDC_NEW_DOUBLE 1424
#define IDC_NEW_LEFT 1425
#define IDC_NEW_RIGHT 1426
#define IDC_NEW_MIDDLE 1427
#define IDC_NEW_SHIFT 1428
#define IDC_NEW_CTRL 1429
#define IDC_NEW_ALT 1430
#define IDC_NEW_WIN 1431
#define IDC_NEW_KEY_LABEL 1432
#define IDC_NEW_KEY 1433
#define IDC_NEW_NAME 1434
#define IDC_NEW_OK 1435
#define IDC_NEW_CANCEL 1436
