// Resource ids of VEXRA-by-Teskor.exe.
// Included by vexra.rc (windres) and by C++ code, so it holds plain #defines only.
#ifndef VEXRA_RES_RESOURCE_H
#define VEXRA_RES_RESOURCE_H

// Dialog templates
#define IDD_POPUP                   102   // boost / background notice popup
#define IDD_VEXRAUI_DIALOG          129   // main window

// Icon, menu, skin bitmaps
#define IDR_MAINFRAME               128   // application icon (window and notification area)
#define IDR_MENU_TRAY               401   // notification-area menu: one pop-up "Tray"
#define IDB_SKIN_MAIN               156   // 800 x 450 skin of the main window
#define IDB_SKIN_POPUP              402   // 350 x 120 skin of the popup

// Notification-area menu commands
#define ID_TRAY_OPEN                32771
#define ID_TRAY_EXIT                32772

// Main window: Welcome page and footer
#define IDC_WELCOME                 1007
#define IDC_SLOGAN                  1008
#define IDC_VERSION                 1010
#define IDC_PRODUCT_YEAR            1011
#define IDC_CONTACT                 1012
#define IDC_CLOSE                   1013
#define IDC_START                   1014
#define IDC_WELCOME_ANIMATION       1015

// Main window: page tabs
#define IDC_TAB_ENGINE              1016
#define IDC_TAB_SYSTEM              1017

// Main window: System page (1020 to 1030 are consecutive: title, then label/value pairs)
#define IDC_SYSTEM_ICON             1019
#define IDC_SYSTEM_TITLE            1020
#define IDC_SYSTEM_COMPUTER_LABEL   1021
#define IDC_SYSTEM_COMPUTER_VALUE   1022
#define IDC_SYSTEM_EDITION_LABEL    1023
#define IDC_SYSTEM_EDITION_VALUE    1024
#define IDC_SYSTEM_PROCESSOR_LABEL  1025
#define IDC_SYSTEM_PROCESSOR_VALUE  1026
#define IDC_SYSTEM_MEMORY_LABEL     1027
#define IDC_SYSTEM_MEMORY_VALUE     1028
#define IDC_SYSTEM_TYPE_LABEL       1029
#define IDC_SYSTEM_TYPE_VALUE       1030
#define IDC_SYSTEM_FIRST            IDC_SYSTEM_TITLE
#define IDC_SYSTEM_LAST             IDC_SYSTEM_TYPE_VALUE

// Main window: Engine page (1032 to 1041 are consecutive)
#define IDC_ENGINE_ICON             1031
#define IDC_ENGINE_TITLE            1032
#define IDC_ENGINE_STATUS           1033
#define IDC_ENGINE_CPU_LABEL        1034
#define IDC_ENGINE_MEMORY_LABEL     1035
#define IDC_ENGINE_CPU_USAGE        1036
#define IDC_ENGINE_MEMORY_USAGE     1037
#define IDC_ENGINE_PROCESS_LABEL    1038
#define IDC_ENGINE_PROCESS_COUNT    1039
#define IDC_ENGINE_FOCUS_LABEL      1040
#define IDC_ENGINE_FOCUS_VALUE      1041
#define IDC_ENGINE_FIRST            IDC_ENGINE_TITLE
#define IDC_ENGINE_LAST             IDC_ENGINE_FOCUS_VALUE
#define IDC_CPU_GAUGE               1042
#define IDC_MEMORY_GAUGE            1043

// Popup: its two text lines (the same numbers as the first System page statics,
// but in their own dialog template)
#define IDC_POPUP_LINE1             1020
#define IDC_POPUP_LINE2             1021

// Button images, resource type "PNG"
#define IDR_PNG_CLOSE_HOVER         149
#define IDR_PNG_CLOSE_NORMAL        150
#define IDR_PNG_CLOSE_PRESSED       151   // also the alternate and disabled look
#define IDR_PNG_CONTACT_HOVER       152
#define IDR_PNG_CONTACT_NORMAL      153   // also the disabled look
#define IDR_PNG_CONTACT_PRESSED     154   // also the alternate look
#define IDR_PNG_START_HOVER         157
#define IDR_PNG_START_NORMAL        158
#define IDR_PNG_START_PRESSED       159   // also the alternate and disabled look
#define IDR_PNG_TAB_SYSTEM_SELECTED 162
#define IDR_PNG_TAB_SYSTEM          163   // normal and hover
#define IDR_PNG_TAB_ENGINE_SELECTED 164
#define IDR_PNG_TAB_ENGINE          165   // normal and hover
#define IDR_PNG_SYSTEM_HEADER       166   // System page header image, 64 x 54
#define IDR_PNG_ENGINE_HEADER       169   // Engine page header image, 59 x 59

// Animations, resource type "GIF"
#define IDR_GIF_WELCOME             148   // 256 x 166
#define IDR_GIF_CPU_GAUGE           167   // 76 x 76
#define IDR_GIF_MEMORY_GAUGE        168   // 88 x 58

#endif
