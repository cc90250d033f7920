// Resource and control ids of the Registry Defrag page (RegDefrag.rc). Its template is
// IDD_PAGE_REGISTRY_DEFRAG of the frame.
#pragma once

#include "Client/Frame/FrameResources.h"

// The page's two pictures (drawn by Art/make_defrag_art.py).
#define IDR_PNG_DEFRAG_PICTURE       200   // beside the description: hives being compacted
#define IDR_PNG_DEFRAG_NOTICE        201   // in the information area: a clock

#define IDC_DEFRAG_BUTTON            1009  // "Defrag"
#define IDC_DEFRAG_TITLE             1119  // "Registry Defrag"
#define IDC_DEFRAG_SUBTITLE          1120
#define IDC_DEFRAG_INFO_FRAME        1121  // hidden: the information area's rectangle
#define IDC_DEFRAG_LAST_LABEL        1122  // "Last Registry Defrag:"
#define IDC_DEFRAG_LAST_VALUE        1123  // "Never" or the recorded date
#define IDC_DEFRAG_DESCRIPTION       1124
#define IDC_DEFRAG_DURATION          1125  // "This may take several minutes"
#define IDC_DEFRAG_CAUTION           1126
#define IDC_DEFRAG_PICTURE           1127  // hidden: PNG 200's rectangle
#define IDC_DEFRAG_NOTICE_PICTURE    1128  // hidden: PNG 201's rectangle
