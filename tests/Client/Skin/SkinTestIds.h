// Resource ids of the skin tests.
#pragma once

#define IDR_TEST_QUADRANTS 501
#define IDR_TEST_FLAT 502
#define IDR_TEST_GREY 503
#define IDR_TEST_GARBAGE 504
#define IDR_TEST_EMPTY 505

#define IDD_SKIN_TEST 600
#define IDD_SKIN_CAPTION 601
#define IDC_SKIN_SCAN 1009
#define IDC_SKIN_STOP 1010
#define IDC_SKIN_PROGRESS 1020
