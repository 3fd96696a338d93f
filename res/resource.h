/* Resource identifiers of TarvoLaunch.
 * Included by the resource script and by C++ code, so it holds #defines only. */
#ifndef TARVO_RESOURCE_H
#define TARVO_RESOURCE_H

/* Dialog templates */
#define IDD_ABOUTBOX                100
#define IDD_LAUNCHER_DIALOG         102
#define IDD_GAME_DIALOG             104
#define IDD_SERVER_LIST             180
#define IDD_SETTINGS                201
#define IDD_WEB_PAGE                205
#define IDD_EXIT                    216

/* Strings */
#define IDS_ABOUTBOX                101

/* Icons */
#define IDI_LAUNCHER                5

/* System-menu command of the About item */
#define IDM_ABOUTBOX                0x0010

/* Title strip */
#define IDB_LOGO                    132   /* 224 x 50, also the web page panel header */
#define IDB_BAND                    133   /* 51 x 50, tiled along the title strip */

/* Caption buttons: normal, hover, pressed */
#define IDB_BTN_MAINSITE_NORMAL     134   /* 64 x 29 */
#define IDB_BTN_MAINSITE_HOVER      135
#define IDB_BTN_MAINSITE_PRESSED    136
#define IDB_BTN_FORUM_NORMAL        137   /* 64 x 29 */
#define IDB_BTN_FORUM_HOVER         138
#define IDB_BTN_FORUM_PRESSED       139
#define IDB_BTN_SETTINGS_NORMAL     140   /* 80 x 29 */
#define IDB_BTN_SETTINGS_HOVER      141
#define IDB_BTN_SETTINGS_PRESSED    142
#define IDB_BTN_WEBPAGE_NORMAL      143   /* 92 x 29, drawn as its top-left 24 x 24 */
#define IDB_BTN_WEBPAGE_HOVER       144
#define IDB_BTN_WEBPAGE_PRESSED     145
#define IDB_BTN_TRAY_NORMAL         146   /* 28 x 25 */
#define IDB_BTN_TRAY_HOVER          147
#define IDB_BTN_TRAY_PRESSED        148
#define IDB_BTN_SPARE_NORMAL        149   /* 28 x 25, not used by any button */
#define IDB_BTN_SPARE_HOVER         150
#define IDB_BTN_SPARE_PRESSED       151
#define IDB_BTN_MINIMISE_NORMAL     152   /* 28 x 25 */
#define IDB_BTN_MINIMISE_HOVER      153
#define IDB_BTN_MINIMISE_PRESSED    154
#define IDB_BTN_MAXIMISE_NORMAL     155   /* 28 x 25, full size / restored size */
#define IDB_BTN_MAXIMISE_HOVER      156
#define IDB_BTN_MAXIMISE_PRESSED    157
#define IDB_BTN_CLOSE_NORMAL        158   /* 28 x 25 */
#define IDB_BTN_CLOSE_HOVER         159
#define IDB_BTN_CLOSE_PRESSED       160
#define IDB_ORNAMENT                161   /* 16 x 17, image only */

/* Panel buttons: normal, hover, pressed */
#define IDB_BTN_CANCEL_NORMAL       162   /* 60 x 23 */
#define IDB_BTN_CANCEL_HOVER        163
#define IDB_BTN_CANCEL_PRESSED      164
#define IDB_BTN_HIDE_NORMAL         165   /* 60 x 23, "close" of the server list */
#define IDB_BTN_HIDE_HOVER          166
#define IDB_BTN_HIDE_PRESSED        167
#define IDB_BTN_CONFIRM_NORMAL      168   /* 60 x 23 */
#define IDB_BTN_CONFIRM_HOVER       169
#define IDB_BTN_CONFIRM_PRESSED     170
#define IDB_BTN_SERVERLIST_NORMAL   171   /* 20 x 19, server-list toggle */
#define IDB_BTN_SERVERLIST_HOVER    172
#define IDB_BTN_SERVERLIST_PRESSED  173

/* Panel backgrounds */
#define IDB_SERVER_LIST_PANEL       174   /* 299 x 66 */
#define IDB_DIALOG_PANEL            175   /* 351 x 166, settings and exit panels */

/* Bitmap id N drawn for 150 % and 200 % displays is N + these (rounded-half-up sizes) */
#define IDB_SCALE_150_OFFSET        1000
#define IDB_SCALE_200_OFFSET        2000

/* Controls of the launcher window (template 102) */
#define IDC_PLAYER_NAME             1003
#define IDC_PROGRESS_TEXT           1018
#define IDC_PROGRESS_PERCENT        1019
#define IDC_MESSAGE_LABEL           1020

/* Server-list panel (template 180) */
#define IDC_SERVER_LIST             1008

/* Settings panel (template 201) */
#define IDC_BOSS_ENABLE             1009
#define IDC_BOSS_HOTKEY             1011
#define IDC_BOSS_NOTE               1012

/* Web page panel (template 205) */
#define IDC_BROWSER                 1017

/* Exit confirmation panel (template 216) */
#define IDC_EXIT_TEXT               1003

/* Window class of the ActiveX host window of the web page panel; the control
 * in template 205 has this class and the control's class id as its text. */
#define TARVO_AX_HOST_CLASS         "TarvoAxHost"

#endif /* TARVO_RESOURCE_H */
