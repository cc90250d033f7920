// The About dialog (see AboutDlg.h).
#include "Frame/AboutDlg.h"

#include <shellapi.h>

#include <vector>

#include "Client/Resources/AboutResources.h"
#include "Client/Tools/ToolDialogLook.h"
#include "Frame/AboutDeployment.h"
#include "Frame/ClientApp.h"
#include "Frame/ClientDlg.h"
#include "Frame/FrameResources.h"
#include "Frame/ProgramIdentity.h"
#include "Framework/FileFind.h"
#include "Framework/ModulePath.h"
#include "Skin/BlackLayerDlg.h"
#include "Skin/MsgBoxDlg.h"

namespace {

const DWORD StripFill = 0xFF297CB2, StripEdge = 0xFF1167BD;
const DWORD LinkButtonText = 0xFFFFFFFF, LinkButtonHoverText = 0xFF70CEF0;
const COLORREF LabelColour = 0x333333;
const COLORREF LinkColour = 0xCC5511;
// How far down the blue strip the product name begins.
const double BannerStart = 0.7;
// The mark the pages' addresses carry; the licence pages also carry the version's first four
// digits before it.
const char TrackingMark[] = "ORG";
const int TrackedVersionDigits = 4;
const char UninstallerPattern[] = "unins*.exe";

CRect ClientRectOf(CWnd& window)
{
    CRect rect;
    window.GetClientRect(&rect);
    return rect;
}

// "EULA", "Privacy Policy" and "Uninstall": white Arial 11 on a rounded face in the strip's
// blue (the body they stand on is white), the text turning light blue under the mouse.
void SetLinkButtonFaces(StyleButton& button, const char* caption)
{
    const CRect r = ClientRectOf(button);
    Style faces[2];
    const DWORD texts[2] = {LinkButtonText, LinkButtonHoverText};
    for (int i = 0; i < 2; ++i) {
        StyleLayer layer(0, 0, r.Width(), r.Height(), StripFill);
        layer.SetShape(2, 3);
        layer.AddTextElement(caption, 1, 0, 0, texts[i], 11, RegularText, "Arial");
        faces[i].AddLayer(layer);
    }
    button.SetFaceStyle(faces[0]);
    button.SetHoverStyle(faces[1]);
    button.SetPressedStyle(faces[1]);
}

void Open(const CString& address, const char* verb = NULL)
{
    // Whether the browser, the mail program or the uninstaller starts is not examined.
    ::ShellExecuteA(NULL, verb, address, NULL, NULL, SW_SHOWNORMAL);
}

}  // namespace

BEGIN_MESSAGE_MAP(CAboutDlg, StyleDialog)
    ON_BN_CLICKED(IDC_ABOUT_CLOSE, &StyleDialog::OnBnClickedClose)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_SETCURSOR()
    // A notifying static's click arrives as notification code 0, which is BN_CLICKED's.
    ON_BN_CLICKED(IDC_ABOUT_HOMEPAGE, &CAboutDlg::OnHomepage)
    ON_BN_CLICKED(IDC_ABOUT_SUPPORT_MAIL, &CAboutDlg::OnSupportMail)
    ON_BN_CLICKED(IDC_ABOUT_EULA, &CAboutDlg::OnEula)
    ON_BN_CLICKED(IDC_ABOUT_PRIVACY, &CAboutDlg::OnPrivacyPolicy)
    ON_BN_CLICKED(IDC_ABOUT_UNINSTALL, &CAboutDlg::OnUninstall)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg(CWnd* parent) : StyleDialog(IDD_ABOUT, parent)
{
}

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ABOUT_CLOSE, m_closeButton);
    DDX_Control(pDX, IDC_ABOUT_EULA, m_eulaButton);
    DDX_Control(pDX, IDC_ABOUT_PRIVACY, m_privacyButton);
    DDX_Control(pDX, IDC_ABOUT_UNINSTALL, m_uninstallButton);
}

// --- texts and addresses --------------------------------------------------------------------

CString CAboutDlg::ShortVersion(const CString& version)
{
    const int dot = version.ReverseFind('.');
    if (dot < 0 || dot + 1 >= version.GetLength())
        return version;
    return version.Left(dot + 2);
}

CString CAboutDlg::SupportMailAddress()
{
    CString address;
    address.Format("mailto:%s", AboutSupportAddress);
    return address;
}

CString CAboutDlg::HomePageAddress()
{
    return CString(AboutWebHost) + "/?TID=" + TrackingMark;
}

CString CAboutDlg::WebPageAddress(const char* page)
{
    CString digits;
    for (const char* c = ProgramVersionText; *c && digits.GetLength() < TrackedVersionDigits; ++c)
        if (*c >= '0' && *c <= '9')
            digits += *c;
    CString address;
    address.Format("http://%s/", AboutWebHost);
    return address + page + ".html?TID=" + digits + TrackingMark;
}

// --- the dialog -----------------------------------------------------------------------------

CRect CAboutDlg::ControlRect(int id) const
{
    return DialogControlRect(this, id);
}

CRect CAboutDlg::PictureAreaRect() const
{
    for (CWnd* child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT)) {
        if ((child->GetStyle() & SS_TYPEMASK) != SS_ICON)
            continue;
        char cls[16] = {};
        ::GetClassNameA(child->m_hWnd, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") != 0)
            continue;
        CRect r;
        child->GetWindowRect(&r);
        ScreenToClient(&r);
        return r;
    }
    return CRect(0, 0, 0, 0);
}

void CAboutDlg::BuildSkin()
{
    CRect client;
    GetClientRect(&client);
    const CRect strip = ControlRect(IDC_ABOUT_STRIP);

    // The caption strip is the frame; the blue strip under it, the white body and the pictures
    // are painted over it.
    m_frameSkin = Style();
    AddTitleStrip(m_frameSkin, client, strip.top, IDR_PNG_ABOUT_TITLE, "About");
    SetFrameStyle(m_frameSkin);

    m_contentStyle = Style();
    StyleLayer blue(strip.left, strip.top, strip.Width(), strip.Height(), StripFill);
    blue.SetAttributes(1, StripEdge);
    m_contentStyle.AddLayer(blue);
    AddWhiteBody(m_contentStyle, client, strip.bottom);

    const CRect versionLabel = ControlRect(IDC_ABOUT_VERSION_LABEL);
    const CRect notice = ControlRect(IDC_ABOUT_NOTICE);
    const int bannerTop = strip.top + int(strip.Height() * BannerStart);
    StyleLayer banner(versionLabel.left, bannerTop, notice.right - versionLabel.left, versionLabel.top - bannerTop);
    banner.AddImageElement(0, 0, IDR_PNG_ABOUT_BANNER, "PNG", 0, 0);
    m_contentStyle.AddLayer(banner);

    const CRect area = PictureAreaRect();
    const CRect homepageLabel = ControlRect(IDC_ABOUT_HOMEPAGE_LABEL);
    const CRect copyright = ControlRect(IDC_ABOUT_COPYRIGHT);
    StyleLayer picture(area.left, area.top, homepageLabel.left - area.left, copyright.top - area.top);
    picture.AddImageElement(0, 0, IDR_PNG_ABOUT_PICTURE, "PNG", 0, 0);
    m_contentStyle.AddLayer(picture);

    SetCloseButtonFaces(m_closeButton);
    SetLinkButtonFaces(m_eulaButton, "EULA");
    SetLinkButtonFaces(m_privacyButton, "Privacy Policy");
    SetLinkButtonFaces(m_uninstallButton, "Uninstall");
}

BOOL CAboutDlg::OnInitDialog()
{
    // The window text names the dialog on the taskbar; the caption is the skin's own strip.
    SetCaptionText("About");
    StyleDialog::OnInitDialog();
    BuildSkin();

    SetDlgItemText(IDC_ABOUT_VERSION, ShortVersion(ProgramVersionText));
    SetDlgItemText(IDC_ABOUT_SUPPORT_MAIL, AboutSupportAddress);
    SetDlgItemText(IDC_ABOUT_HOMEPAGE, AboutWebHost);
    CString notice;
    notice.LoadString(IDS_ABOUT_NOTICE);
    SetDlgItemText(IDC_ABOUT_NOTICE, notice);

    m_copyrightFont.CreateFont(14, FW_BOLD, "Arial");
    CString copyright;
    copyright.Format("Copyright \xA9 2026 %s. All rights reserved.", AboutCopyrightHolder);
    if (CWnd* line = GetDlgItem(IDC_ABOUT_COPYRIGHT)) {
        line->SetFont(&m_copyrightFont);
        line->SetWindowText(copyright);
    }
    return TRUE;
}

BOOL CAboutDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    CRect client;
    GetClientRect(&client);
    m_contentStyle.Paint(pDC, client.left, client.top, client.right, client.bottom);
    return TRUE;
}

HBRUSH CAboutDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    switch (pWnd->GetDlgCtrlID()) {
    case IDC_ABOUT_SUPPORT_MAIL:
    case IDC_ABOUT_HOMEPAGE:
        pDC->SetTextColor(LinkColour);
        break;
    case IDC_ABOUT_VERSION_LABEL:
    case IDC_ABOUT_SUPPORT_LABEL:
    case IDC_ABOUT_HOMEPAGE_LABEL:
    case IDC_ABOUT_NOTICE:
    case IDC_ABOUT_VERSION_COLON:
    case IDC_ABOUT_SUPPORT_COLON:
    case IDC_ABOUT_HOMEPAGE_COLON:
        pDC->SetTextColor(LabelColour);
        break;
    default:
        break;
    }
    // The texts stand on the painted body: nothing is filled behind them.
    pDC->SetBkMode(TRANSPARENT);
    return HBRUSH(::GetStockObject(HOLLOW_BRUSH));
}

BOOL CAboutDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    if (id == IDC_ABOUT_SUPPORT_MAIL || id == IDC_ABOUT_HOMEPAGE) {
        ::SetCursor(theApp.m_handCursor ? theApp.m_handCursor : ::LoadCursor(NULL, IDC_HAND));
        return TRUE;
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}

// --- the actions ----------------------------------------------------------------------------

void CAboutDlg::OnHomepage()
{
    Open(HomePageAddress());
}

void CAboutDlg::OnSupportMail()
{
    Open(SupportMailAddress());
}

void CAboutDlg::OnEula()
{
    Open(WebPageAddress("eula"));
}

void CAboutDlg::OnPrivacyPolicy()
{
    Open(WebPageAddress("privacy-policy"));
}

void CAboutDlg::OnUninstall()
{
    // Without a folder of its own the program names no uninstaller (a relative pattern would
    // search the current folder).
    const CString folder = GetProgramFolder();
    std::vector<CString> uninstallers;
    CFindHandle find;
    WIN32_FIND_DATAA entry;
    if (!folder.IsEmpty()) {
        for (BOOL more = find.FindFirst(folder + UninstallerPattern, entry); more; more = find.FindNext(entry))
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                uninstallers.push_back(folder + entry.cFileName);
    }
    find.Close();
    if (uninstallers.empty()) {
        ShowMessageBox(this, CString("Cannot initiate ") + ProgramDisplayName + " uninstaller.", MessageBoxOk, TRUE);
        return;
    }
    for (const CString& uninstaller : uninstallers)
        Open(uninstaller, "open");
    if (CClientDlg* main = static_cast<CClientDlg*>(AfxGetMainWnd()))
        main->QuitApp();
    ::TerminateProcess(::GetCurrentProcess(), 0);
}

// --- running it -----------------------------------------------------------------------------

int RunDialogWithOverlay(CDialog* dialog)
{
    CWnd* main = AfxGetMainWnd();
    if (main && main->m_hWnd && main->IsIconic())
        main->ShowWindow(SW_RESTORE);
    return DoModalWithOverlay(dialog, main);
}

void ShowAboutDialog()
{
    CAboutDlg dialog(NULL);
    RunDialogWithOverlay(&dialog);
}
