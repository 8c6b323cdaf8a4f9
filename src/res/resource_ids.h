/* Resource and control identifiers, shared by app.rc and the code.
   Kept to plain #defines so that the resource compiler reads it too. */
#pragma once

/* Window templates */
#define IDD_FULL_WINDOW      110
#define IDD_COMPACT_WINDOW   111

/* Icons: the main icon, the connected icon and 32 progress frames 113..144 */
#define IDI_MAIN             107
#define IDI_CONNECTED        112
#define IDI_PROGRESS_FIRST   113
#define IDI_PROGRESS_LAST    144

/* Status bitmaps */
#define IDB_CABLE_IDLE       147  /* computer, cable, greyed-out device */
#define IDB_CABLE_LINKED     148  /* computer, cable, device */
#define IDB_WAVES_SEARCHING  149  /* computer sending waves towards a greyed-out device */
#define IDB_WAVES_LINKED     150  /* waves between computer and device */

/* The icons and bitmaps above are drawn for 96 DPI. The larger sizes, drawn
   for 120, 144 and 192 DPI, have the same number plus 1, 2 or 3 times this
   step (larger_art.rc, written by tools/artgen, lists them). */
#define ART_ID_STEP          100

/* Controls: commands and inputs (100 band) */
#define IDC_SEND             101
#define IDC_FILE_LIST        102
#define IDC_RETRIEVE         103
#define IDC_PREVIEW          105
#define IDC_STATUS_TEXT      107

/* Controls: feedback and options (1000 band) */
#define IDC_PROGRESS         1000
#define IDC_STATUS_LINE      1008
#define IDC_AUTO_RETRIEVE    1009
#define IDC_PICTURE_CABLE_IDLE      1015
#define IDC_PICTURE_CABLE_LINKED    1016
#define IDC_PICTURE_WAVES_SEARCHING 1017
#define IDC_PICTURE_WAVES_LINKED    1018
#define IDC_APPEND           1020
#define IDC_DISCLOSURE       1021
#define IDC_STATUS_FRAME     1022
#define IDC_OPTIONS_CAPTION  1023

#define IDC_NONE             -1
