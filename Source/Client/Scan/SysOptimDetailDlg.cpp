// The System Speed page (see SysOptimDetailDlg.h).
#include "Client/Scan/SysOptimDetailDlg.h"

#include "Client/Resources/OptimizerResources.h"
#include "Client/Scan/OptimDetailPopupDlg.h"
#include "Client/Scan/ScanCategories.h"

namespace {

const OptimPageRow SystemRows[] = {
    {"Start/Shutdown Speed", IDR_PNG_SYS_STARTUP, IDC_SYS_CHECK_STARTUP, IDC_SYS_COUNT_STARTUP,
     IDC_SYS_DETAILS_STARTUP, 0x1, 1},
    {"System Stability", IDR_PNG_SYS_STABILITY, IDC_SYS_CHECK_STABILITY, IDC_SYS_COUNT_STABILITY,
     IDC_SYS_DETAILS_STABILITY, 0x2, 2},
    {"Display Speed", IDR_PNG_SYS_DISPLAY, IDC_SYS_CHECK_DISPLAY, IDC_SYS_COUNT_DISPLAY,
     IDC_SYS_DETAILS_DISPLAY, 0x4, 3},
    {"IO Speed", IDR_PNG_SYS_IO, IDC_SYS_CHECK_IO, IDC_SYS_COUNT_IO, IDC_SYS_DETAILS_IO, 0x8, 4},
};

const OptimPageLayout SystemPage = {
    ScanKindSystem, IDD_PAGE_SYSTEM_RESULTS, IDC_SYS_TITLE, IDC_SYS_TOTAL, IDC_SYS_SUBTITLE,
    IDC_SYS_OPTIMIZE, IDR_PNG_SYSTEM_HEADER, SystemRows, 4,
};

}  // namespace

CSysOptimDetailDlg::CSysOptimDetailDlg() : COptimDetailPage(SystemPage)
{
}

DWORD CSysOptimDetailDlg::GetLastSelScanSysTypes()
{
    return GetLastSelScanTypes(ScanKindSystem);
}

void CSysOptimDetailDlg::ShowCategoryDetails(int category)
{
    CSysOptimDetailPopupDlg popup;
    popup.ShowDetails(category, GetSettings());
}
