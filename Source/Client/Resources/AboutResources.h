// Resource and control ids of the About dialog (AboutDialog.rc).
#pragma once

// --- template (its legal notice, string IDS_ABOUT_NOTICE, is among the frame's strings) -------
#define IDD_ABOUT                     100

// --- artwork ----------------------------------------------------------------------------------
#define IDR_PNG_ABOUT_TITLE           186   // the caption strip's icon
#define IDR_PNG_ABOUT_PICTURE         187   // the product picture at the left (116 x 117)
#define IDR_PNG_ABOUT_BANNER          193   // the product name over the texts (216 x 37)

// --- controls ---------------------------------------------------------------------------------
#define IDC_ABOUT_CLOSE               1005  // "X"
#define IDC_ABOUT_VERSION_LABEL       1087  // "Version Number"
#define IDC_ABOUT_COPYRIGHT           1088
#define IDC_ABOUT_SUPPORT_LABEL       1091  // "Support Email"
#define IDC_ABOUT_HOMEPAGE_LABEL      1092  // "Homepage"
#define IDC_ABOUT_VERSION             1093
#define IDC_ABOUT_SUPPORT_MAIL        1096  // the support address; a click writes to it
#define IDC_ABOUT_HOMEPAGE            1097  // the web host; a click opens the home page
#define IDC_ABOUT_NOTICE              1098
#define IDC_ABOUT_STRIP               1099  // hidden: marks the blue strip under the caption
#define IDC_ABOUT_VERSION_COLON       1100
#define IDC_ABOUT_SUPPORT_COLON       1103
#define IDC_ABOUT_HOMEPAGE_COLON      1104
#define IDC_ABOUT_EULA                1149
#define IDC_ABOUT_PRIVACY             1150
#define IDC_ABOUT_UNINSTALL           1151
