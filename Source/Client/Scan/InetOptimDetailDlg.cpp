// The Internet Speed page (see InetOptimDetailDlg.h).
#include "Client/Scan/InetOptimDetailDlg.h"

#include "Client/Resources/OptimizerResources.h"
#include "Client/Scan/OptimDetailPopupDlg.h"
#include "Client/Scan/ScanCategories.h"

namespace {

const OptimPageRow InternetRows[] = {
    {"Networking", IDR_PNG_INET_NETWORKING, 1041, 1046, 1051, 0x1, 1},
    {"WinSock", IDR_PNG_INET_WINSOCK, 1042, 1047, 1052, 0x2, 2},
    {"Internet Explorer", IDR_PNG_INET_EXPLORER, 1043, 1048, 1053, 0x4, 3},
    {"Workstation", IDR_PNG_INET_WORKSTATION, 1044, 1049, 1054, 0x8, 4},
    {"DNS Cache", IDR_PNG_INET_DNS, 1045, 1050, 1055, 0x10, 5},
};

const OptimPageLayout InternetPage = {
    ScanKindInternet, IDD_PAGE_INTERNET_RESULTS, IDC_INET_TITLE, IDC_INET_TOTAL, IDC_INET_SUBTITLE,
    IDC_INET_OPTIMIZE, IDR_PNG_INTERNET_HEADER, InternetRows, 5,
};

}  // namespace

CInetOptimDetailDlg::CInetOptimDetailDlg() : COptimDetailPage(InternetPage)
{
}

DWORD CInetOptimDetailDlg::GetLastSelScanInetTypes()
{
    return GetLastSelScanTypes(ScanKindInternet);
}

void CInetOptimDetailDlg::ShowCategoryDetails(int category)
{
    CInetOptimDetailPopupDlg popup;
    popup.ShowDetails(category, GetSettings());
}
