// Resource ids of the window-layer tests.
#pragma once

#define IDD_WT_PLAIN 100
#define IDD_WT_CHILD 101
#define IDC_WT_GO 1001
#define IDC_WT_LABEL 1002
