// Resource and control ids of the System Booster page (SystemBooster.rc). Its template is
// IDD_PAGE_SYSTEM_BOOSTER of the frame.
#pragma once

#include "Client/Frame/FrameResources.h"

// Artwork (Art/make_booster_art.py).
#define IDR_PNG_BOOSTER_BOOST        204   // beside "How does it Boost?"
#define IDR_PNG_BOOSTER_CLICK        205   // beside "Works with Single-Click"
#define IDR_PNG_BOOSTER_POWER        212   // on every look of ON and OFF

#define IDC_BOOSTER_TITLE            1128  // "System Booster"
#define IDC_BOOSTER_SUBTITLE         1129
#define IDC_BOOSTER_INFO_FRAME       1130  // hidden: the information area's rectangle
#define IDC_BOOSTER_ON               1131
#define IDC_BOOSTER_CLICK_HEADING    1132  // "Works with Single-Click"
#define IDC_BOOSTER_OFF              1133
#define IDC_BOOSTER_BOOST_HEADING    1134  // "How does it Boost?"
#define IDC_BOOSTER_BOOST_TEXT       1135
#define IDC_BOOSTER_CLICK_TEXT       1136
#define IDC_BOOSTER_BOOST_PICTURE    1137  // hidden: where PNG 204 is painted
#define IDC_BOOSTER_CLICK_PICTURE    1138  // hidden: where PNG 205 is painted
