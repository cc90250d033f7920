// Resource and control ids of the Internet Speed and System Speed pages and their popups
// (OptimizerPages.rc). The pages' templates are IDD_PAGE_INTERNET_RESULTS and
// IDD_PAGE_SYSTEM_RESULTS of the frame.
#pragma once

#include "Client/Frame/FrameResources.h"

// --- popup templates --------------------------------------------------------------------------
#define IDD_INET_DETAIL_POPUP          169
#define IDD_SYS_DETAIL_POPUP           172

// --- artwork (PNG) ----------------------------------------------------------------------------
#define IDR_PNG_INTERNET_HEADER        142   // the Internet Speed page's header picture
#define IDR_PNG_INET_NETWORKING        163   // the internet category icons, in row order
#define IDR_PNG_INET_WINSOCK           164
#define IDR_PNG_INET_EXPLORER          165
#define IDR_PNG_INET_WORKSTATION       166
#define IDR_PNG_INET_DNS               167
#define IDR_PNG_SYSTEM_HEADER          171   // the System Speed page's header picture
#define IDR_PNG_SYS_STARTUP            172   // the system category icons
#define IDR_PNG_SYS_STABILITY          173
#define IDR_PNG_SYS_IO                 174
#define IDR_PNG_SYS_DISPLAY            175
#define IDR_PNG_OPTIM_DETAILS          3160  // the face of "View Details"
#define IDR_PNG_OPTIM_CHECK_OFF        3161  // the faces of the category check boxes
#define IDR_PNG_OPTIM_CHECK_ON         3162

// --- both pages -------------------------------------------------------------------------------
#define IDC_OPTIM_BACK                 1030  // "Back"
#define IDC_OPTIM_RESTORE              1031  // "Restore Default" (hidden; acts as "Back")

// --- Internet Speed page ----------------------------------------------------------------------
#define IDC_INET_OPTIMIZE              1037  // "Optimize" (hidden; acts as "Back")
#define IDC_INET_TITLE                 1038  // "Internet Speed:"
#define IDC_INET_TOTAL                 1039  // "%d setting(s) can be changed to improve speed"
#define IDC_INET_SUBTITLE              1040  // "Settings that affect internet speed"
#define IDC_INET_CHECK_NETWORKING      1041  // the check boxes 1041-1045, in row order
#define IDC_INET_CHECK_DNS             1045
#define IDC_INET_COUNT_NETWORKING      1046  // the count lines 1046-1050
#define IDC_INET_COUNT_DNS             1050
#define IDC_INET_DETAILS_NETWORKING    1051  // "View Details" 1051-1055
#define IDC_INET_DETAILS_DNS           1055

// --- System Speed page ------------------------------------------------------------------------
#define IDC_SYS_TITLE                  1057  // "System Speed:"
#define IDC_SYS_TOTAL                  1058
#define IDC_SYS_OPTIMIZE               1059  // "Optimize" (hidden; acts as "Back")
#define IDC_SYS_SUBTITLE               1060  // "Settings that affect system speed"
#define IDC_SYS_CHECK_STARTUP          1061
#define IDC_SYS_CHECK_STABILITY        1062
#define IDC_SYS_CHECK_IO               1063
#define IDC_SYS_COUNT_STARTUP          1064
#define IDC_SYS_COUNT_STABILITY        1065
#define IDC_SYS_COUNT_IO               1066
#define IDC_SYS_DETAILS_IO             1067
#define IDC_SYS_DETAILS_STABILITY      1068
#define IDC_SYS_DETAILS_STARTUP        1069
#define IDC_SYS_CHECK_DISPLAY          1070
#define IDC_SYS_COUNT_DISPLAY          1071
#define IDC_SYS_DETAILS_DISPLAY        1072

// --- popups -----------------------------------------------------------------------------------
#define IDC_INET_POPUP_CLOSE           1009  // "X"
#define IDC_INET_POPUP_LIST            1014
#define IDC_INET_POPUP_FRAME           1056  // hidden frame of the list
#define IDC_SYS_POPUP_LIST             1075
#define IDC_SYS_POPUP_CLOSE            1076
#define IDC_SYS_POPUP_FRAME            1077
