// The Registry Defrag page (see RegDefragDlg.h).
#include "Client/Tools/RegDefragDlg.h"

#include <process.h>
#include <shlobj.h>
#include <time.h>

#include "Client/Frame/ProgramPaths.h"
#include "Client/Frame/ProgramSettings.h"
#include "Client/Frame/RegistryKey.h"
#include "Client/Frame/SystemFunctions.h"
#include "Client/Frame/Task.h"
#include "Client/Frame/WaitPumpingMessages.h"
#include "Client/Resources/RegDefragResources.h"
#include "Client/Skin/BusyDlg.h"
#include "Client/Skin/MsgBoxDlg.h"
#include "Client/Skin/SkinGdiPlus.h"
#include "Client/Tools/RegDefragMessages.h"
#include "Framework/CWinApp.h"

namespace {

// The result codes of the engine's defragmentation.
enum {
    ResultListFailed = 1,
    ResultAnalysisFailed = 2,
    ResultReplaceFailed = 3,
    ResultLowDiskSpace = 4,
    ResultGain = 6,
    ResultReplaced = 7,
    ResultNoGain = 8,
};

const char* const DefragArgument = "DEFRAG";
// TASK_FLAG_DELETE_WHEN_DONE.
const DWORD LogonTaskFlags = 2;
const unsigned long long NeededMegabytes = 250;
const DWORD ReplacementDelay = 3000;
const DWORD DefragStartDelay = 500;
const DWORD CountdownStep = 1000;

const char* const BusyText = "Please stop other active operation before starting Registry Defragmenter.";
const char* const DiskSpaceText = "Not enough disk space on %s drive, please free some space.";
const char* const WarningText =
    "WARNING!\n\nBefore running Registry Defragmenter, save your work and close all running applications.\n"
    "Note: Your system will restart in the process.\n\nPress OK to continue else Cancel.";
const char* const AnalysisFailedText =
    "Registry analysis failed, please follow the instructions below and then retry;\n\n"
    "Close all running applications\nFree some disk space";
const char* const ReplaceFailedText =
    "Registry defragmentation failed, please follow the instructions below and then retry;\n\n"
    "Close all running applications\nFree some disk space\n"
    "Restart your system if you have already run defragmentation once";
const char* const LowDiskSpaceText =
    "Error occurred due to low disk space, please empty same disk space and then retry.";
const char* const NoGainText = "Your registry is already defragmented, no need for registry defragmentation.";
const char* const SuccessText = "Registry defragmentation has been completed successfully.";
const char* const AnalysisText = "Analyzing registry hives.\nIt may take several minutes.";
const char* const ReplacementText = "Defragmenting registry";
const char* const NeverText = "Never";
const char* const LastDefragFormat = "%d/%m/%Y %I:%M:%S %p";

const DWORD BodyFill = 0xFFFFFFFF;
const DWORD ButtonFill = 0xFFFF9600;
const DWORD ButtonHoverFill = 0xFFFFA200;
const DWORD FrameColour = 0xFFEEEEEE;

struct StaticLook {
    int id;
    COLORREF colour;
};
const StaticLook StaticLooks[] = {
    {IDC_DEFRAG_TITLE, 0x000000},       {IDC_DEFRAG_SUBTITLE, 0x0071EA},
    {IDC_DEFRAG_LAST_LABEL, 0x282828},  {IDC_DEFRAG_LAST_VALUE, 0x1EDB0E},
    {IDC_DEFRAG_DESCRIPTION, 0x6F6F6F}, {IDC_DEFRAG_DURATION, 0x282828},
    {IDC_DEFRAG_CAUTION, 0x6F6F6F},
};

Style ButtonFace(const CRect& rc, DWORD fill)
{
    Style style;
    StyleLayer layer(0, 0, rc.Width(), rc.Height());
    layer.AddFillElement(fill);
    layer.AddTextElement("Defrag", 1, 0, 0, 0xFFFFFFFF, 14, 0, "Segoe UI");
    style.AddLayer(layer);
    return style;
}

void CreatePlainFont(CFont& font, int height, const char* face)
{
    LOGFONTA lf = {};
    lf.lfHeight = height;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    font.CreateFontIndirect(&lf);
}

// The current user's logon task for "DEFRAG" exists.
bool DefragTaskExists()
{
    CString user;
    if (!GetCurrentUserName(user))
        return false;
    CTask task;
    return task.LoadTask(FormatLogonDefragTaskName(DefragArgument, user)) == S_OK;
}

}  // namespace

BEGIN_MESSAGE_MAP(CRegDefragDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(IDC_DEFRAG_BUTTON, &CRegDefragDlg::OnDefrag)
    ON_MESSAGE(WM_START_DEFRAG, &CRegDefragDlg::OnStartDefrag)
    ON_MESSAGE(WM_DEFRAG_RESULT, &CRegDefragDlg::OnDefragResult)
END_MESSAGE_MAP()

CRegDefragDlg::CRegDefragDlg()
    : StyleDialog(IDD_PAGE_REGISTRY_DEFRAG, NULL), m_pOwner(NULL), m_resultCode(0), m_pProcess(NULL),
      m_pScanItems(NULL), m_defragStart(NULL), m_runKind(RunAnalysis)
{
}

void CRegDefragDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEFRAG_BUTTON, m_defragButton);
}

BOOL CRegDefragDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
    BuildLook();
    ShowLastDefrag();
    m_pOwner = AfxGetMainWnd();
    if (m_defragStart && *m_defragStart)
        PostMessage(WM_DEFRAG_RESULT, 0, 0);
    return TRUE;
}

void CRegDefragDlg::BuildLook()
{
    CRect button;
    m_defragButton.GetClientRect(&button);
    m_defragButton.SetFaceStyle(ButtonFace(button, ButtonFill));
    m_defragButton.SetHoverStyle(ButtonFace(button, ButtonHoverFill));
    m_defragButton.SetPressedStyle(ButtonFace(button, ButtonHoverFill));
    m_defragButton.SetWindowText("Defrag");

    CreatePlainFont(m_titleFont, 19, "Arial");
    CreatePlainFont(m_subtitleFont, 17, "Arial");
    CreatePlainFont(m_headingFont, 20, "Segoe UI");
    CreatePlainFont(m_textFont, 19, "Segoe UI");
    struct FontOf {
        int id;
        CFont& font;
    };
    FontOf fonts[] = {{IDC_DEFRAG_TITLE, m_titleFont},       {IDC_DEFRAG_SUBTITLE, m_subtitleFont},
                      {IDC_DEFRAG_LAST_LABEL, m_headingFont}, {IDC_DEFRAG_LAST_VALUE, m_textFont},
                      {IDC_DEFRAG_DESCRIPTION, m_textFont},   {IDC_DEFRAG_DURATION, m_headingFont},
                      {IDC_DEFRAG_CAUTION, m_textFont}};
    for (FontOf& f : fonts)
        if (CWnd* control = GetDlgItem(f.id))
            control->SetFont(&f.font, TRUE);

    CRect client;
    GetClientRect(&client);
    m_background = Style();
    StyleLayer body(0, 0, client.Width(), client.Height());
    body.AddFillElement(BodyFill);
    m_background.AddLayer(body);
    const struct {
        int placeholder;
        int picture;
    } pictures[] = {{IDC_DEFRAG_PICTURE, IDR_PNG_DEFRAG_PICTURE}, {IDC_DEFRAG_NOTICE_PICTURE, IDR_PNG_DEFRAG_NOTICE}};
    for (const auto& p : pictures) {
        CWnd* placeholder = GetDlgItem(p.placeholder);
        if (!placeholder)
            continue;
        CRect rc;
        placeholder->GetWindowRect(&rc);
        ScreenToClient(&rc);
        StyleLayer layer(rc.left, rc.top, rc.Width(), rc.Height());
        layer.AddImageElement(0, 0, p.picture, "PNG", 0, 0);
        m_background.AddLayer(layer);
    }
}

CRect CRegDefragDlg::InformationFrame()
{
    CRect frame;
    if (CWnd* marker = GetDlgItem(IDC_DEFRAG_INFO_FRAME)) {
        marker->GetWindowRect(&frame);
        ScreenToClient(&frame);
    }
    return frame;
}

BOOL CRegDefragDlg::OnEraseBkgnd(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, RGB(255, 255, 255));
    m_background.Paint(pDC, client.left, client.top, client.right, client.bottom);

    const CRect frame = InformationFrame();
    if (frame.IsRectEmpty())
        return TRUE;
    Gdiplus::Graphics graphics(pDC->m_hDC);
    Gdiplus::Pen pen(Gdiplus::Color(FrameColour), 1.0f);
    graphics.DrawRectangle(&pen, frame.left, frame.top, frame.Width() - 1, frame.Height() - 1);
    const int middle = frame.top + (frame.bottom - frame.top) / 2;
    const int y = int(middle - middle / 12.75);
    graphics.DrawLine(&pen, frame.left, y, frame.right - 1, y);
    return TRUE;
}

HBRUSH CRegDefragDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    const int id = pWnd->GetDlgCtrlID();
    for (const StaticLook& look : StaticLooks)
        if (look.id == id)
            pDC->SetTextColor(look.colour);
    pDC->SetBkMode(TRANSPARENT);
    return HBRUSH(m_whiteBrush.m_hObject);
}

// --- the last defragmentation -------------------------------------------------------------------

CString CRegDefragDlg::GetLastDefragText()
{
    CString text;
    GetDlgItemText(IDC_DEFRAG_LAST_VALUE, text);
    return text;
}

void CRegDefragDlg::ShowLastDefrag()
{
    CRegistryKey key;
    if (!key.Create(HKEY_LOCAL_MACHINE, ProgramSettingsKey, ProgramSettingsAccess))
        return;
    CString text;
    if (key.GetString(SettingLastDefrag, text))
        SetDlgItemText(IDC_DEFRAG_LAST_VALUE, text.IsEmpty() ? CString(NeverText) : text);
    key.Close();
}

void CRegDefragDlg::RecordLastDefrag()
{
    char text[64] = {};
    const time_t now = time(NULL);
    const struct tm* local = localtime(&now);
    if (!local || !strftime(text, sizeof text, LastDefragFormat, local))
        return;
    CRegistryKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, ProgramSettingsKey, ProgramSettingsAccess) &&
        key.SetString(SettingLastDefrag, text))
        SetDlgItemText(IDC_DEFRAG_LAST_VALUE, text);
    key.Close();
}

// --- the runs ---------------------------------------------------------------------------------

void CRegDefragDlg::OnDefrag()
{
    const BOOL busy = m_operationRunning ? m_operationRunning() : (m_pProcess && m_pProcess->IsBusy());
    if (busy) {
        ShowMessageBox(NULL, BusyText, MessageBoxOk, TRUE, m_pOwner);
        return;
    }
    char windows[MAX_PATH] = {};
    CString folder = SHGetFolderPathA(NULL, CSIDL_WINDOWS, NULL, 0, windows) == S_OK && windows[0]
                         ? CString(windows)
                         : CString("C:\\Windows");
    // The free space of the drive's root.
    if (!HasFreeDiskSpace(folder.Left(2) + "\\", NeededMegabytes)) {
        CString text;
        text.Format(DiskSpaceText, static_cast<const char*>(folder.Left(1)));
        ShowMessageBox(NULL, text, MessageBoxOk, TRUE, m_pOwner);
        return;
    }
    if (ShowMessageBox(NULL, WarningText, MessageBoxOkCancel, TRUE, m_pOwner) == IDCANCEL)
        return;
    CBusyDlg busyDialog(m_pOwner, WM_START_DEFRAG, m_hWnd, "Please wait", TRUE);
    busyDialog.DoModalWithOverlay(m_pOwner, TRUE, SW_SHOW);
}

void CRegDefragDlg::ClearFoundItems()
{
    if (!m_pProcess || !m_pScanItems)
        return;
    m_pScanItems->Clear();
    if (m_itemsCleared)
        m_itemsCleared();
}

// The logon task is made only once the replacement is scheduled (see Countdown): a program
// killed during the analysis must find none at its next start.
LRESULT CRegDefragDlg::OnStartDefrag(WPARAM, LPARAM)
{
    InterlockedExchange(&m_runKind, RunAnalysis);
    ClearFoundItems();
    const uintptr_t thread = _beginthreadex(NULL, 0, &CRegDefragDlg::AnalysisThread, this, 0, NULL);
    if (thread) {
        CloseHandle(reinterpret_cast<HANDLE>(thread));
    } else {
        InterlockedExchange(&m_resultCode, ResultAnalysisFailed);
        PostMessage(WM_DEFRAG_RESULT, 0, 0);
    }
    return 1;
}

UINT __stdcall CRegDefragDlg::AnalysisThread(void* param)
{
    CRegDefragDlg* page = static_cast<CRegDefragDlg*>(param);
    if (!page->StartRun(RunAnalysis)) {
        // No result will come from the engine: the page is told as if it had failed.
        InterlockedExchange(&page->m_resultCode, ResultAnalysisFailed);
        ::PostMessageA(page->m_hWnd, WM_DEFRAG_RESULT, 0, 0);
    }
    return 0;
}

bool CRegDefragDlg::StartRun(RunKind kind)
{
    if (CBusyDlg* busy = CurrentBusyDialog)
        busy->SetText(kind == RunAnalysis ? AnalysisText : ReplacementText);
    if (!m_pProcess || m_pProcess->StartRegistryDefrag(kind, this) != 1)
        return false;
    m_pProcess->ResumeTask();
    return true;
}

LRESULT CRegDefragDlg::OnDefragResult(WPARAM, LPARAM)
{
    if (m_defragStart && *m_defragStart) {
        FinishDefragStart();
        return 1;
    }
    const int code = int(m_resultCode);
    switch (code) {
    case ResultListFailed:
    case ResultAnalysisFailed:
        EndWithMessage(CString(AnalysisFailedText) + ".");
        break;
    case ResultReplaceFailed:
        EndWithMessage(CString(ReplaceFailedText) + ".");
        break;
    case ResultLowDiskSpace:
        EndWithMessage(LowDiskSpaceText);
        break;
    case ResultGain:
        WaitPumpingMessages(ReplacementDelay);
        InterlockedExchange(&m_runKind, RunReplacement);
        ClearFoundItems();
        if (!StartRun(RunReplacement))
            EndWithMessage(CString(ReplaceFailedText) + ".");
        break;
    case ResultReplaced:
        Countdown();
        break;
    case ResultNoGain:
        EndWithMessage(NoGainText);
        break;
    default:
        // A code the engine does not send ends the run it answers as that run's failure.
        EndWithMessage(CString(m_runKind == RunReplacement ? ReplaceFailedText : AnalysisFailedText) + ".");
        break;
    }
    return 1;
}

void CRegDefragDlg::EndWithMessage(const CString& text)
{
    ShowMessageBox(CurrentBusyDialog, text, MessageBoxOk, TRUE, m_pOwner);
    if (CBusyDlg* busy = CurrentBusyDialog)
        busy->Close();
    DeleteLogonTask(DefragArgument);
}

// The replacement is scheduled: the logon task will finish the work after the restart. When it
// cannot be made the restart still happens; only the record at the next start is lost.
void CRegDefragDlg::Countdown()
{
    CreateLogonTask(DefragArgument, LogonTaskFlags);
    if (CurrentBusyDialog) {
        for (int n = 5; n >= 1; --n) {
            CString text;
            text.Format("Restarting your system in %d %s%s.", n, "second", n == 1 ? "" : "s");
            if (CBusyDlg* busy = CurrentBusyDialog)
                busy->SetText(text);
            WaitPumpingMessages(CountdownStep);
        }
    }
    RestartWindows();
    if (CBusyDlg* busy = CurrentBusyDialog)
        busy->Close();
}

// Started by the logon task: the replacement happened at the restart. A start with "DEFRAG"
// that finds no task (by hand, or after a run that never scheduled one) records nothing.
void CRegDefragDlg::FinishDefragStart()
{
    WaitPumpingMessages(DefragStartDelay);
    const bool scheduled = DefragTaskExists();
    *m_defragStart = 0;
    if (!scheduled)
        return;
    RecordLastDefrag();
    DeleteLogonTask(DefragArgument);
    ShowMessageBox(NULL, SuccessText, MessageBoxOk, FALSE);
}

// --- the engine's calls -------------------------------------------------------------------------

void CRegDefragDlg::OnStatusText(const char* text, const char* stage)
{
    (void)stage;
    if (!text || !*text)
        return;
    if (CBusyDlg* busy = CurrentBusyDialog)
        busy->SetText(CString("Registry size will be reduced by ") + text + "%");
}

void CRegDefragDlg::OnProgress(int code) { (void)code; }

void CRegDefragDlg::OnItemFound(const char* text, DWORD category, int recordId, int reserved)
{
    (void)text; (void)category; (void)recordId; (void)reserved;
}

int CRegDefragDlg::OnTaskFinished(int code)
{
    (void)code;
    return 1;
}

int CRegDefragDlg::OnResult(int code)
{
    InterlockedExchange(&m_resultCode, code);
    ::PostMessageA(m_hWnd, WM_DEFRAG_RESULT, 0, 0);
    return 1;
}
