// The Settings dialog (see SettingsDlg.h).
#include "Client/Tools/SettingsDlg.h"

#include "Client/Frame/Task.h"
#include "Client/Resources/ToolDialogResources.h"
#include "Client/Tools/ToolDialogLook.h"
#include "Framework/ModulePath.h"

namespace {

const char ScanAtLogonParameters[] = "STARTSCAN";
const char ScanAtLogonComment[] = "Scan On Logon";
const COLORREF ShowMoreColour = RGB(17, 85, 204);
const DWORD CheckText = 0xFF3D3D3E;
const int CheckBoxSize = 13;

// The part of an ignore entry's key before its first "^", and the part after it.
CString KeyText(const CString& key)
{
    const int caret = key.Find('^');
    return caret < 0 ? key : key.Left(caret);
}

CString KeyCategory(const CString& key)
{
    const int caret = key.Find('^');
    return caret < 0 ? CString() : key.Mid(caret + 1);
}

}  // namespace

BEGIN_MESSAGE_MAP(CSettingsDlg, StyleDialog)
    ON_BN_CLICKED(IDC_SETTINGS_TAB_GENERAL, &CSettingsDlg::OnTabGeneral)
    ON_BN_CLICKED(IDC_SETTINGS_TAB_IGNORE, &CSettingsDlg::OnTabIgnoreList)
    ON_BN_CLICKED(IDC_TOOL_CLOSE, &CSettingsDlg::OnCloseAndApply)
    ON_BN_CLICKED(IDC_TOOL_REMOVE, &CSettingsDlg::RemoveIgnoreEntry)
    // A notifying static's click arrives as notification code 0, which is BN_CLICKED's.
    ON_BN_CLICKED(IDC_TOOL_SHOW_MORE, &CSettingsDlg::ShowAllIgnoreEntries)
    ON_BN_CLICKED(IDC_SETTINGS_SCAN_AT_LOGON, &CSettingsDlg::OnScanAtLogon)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_MEASUREITEM()
    ON_WM_SETCURSOR()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CSettingsDlg::CSettingsDlg(CWnd* parent)
    : StyleDialog(IDD_SETTINGS, parent), m_pSettings(NULL), m_pScanItems(NULL), m_limited(1)
{
}

void CSettingsDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SETTINGS_TAB_GENERAL, m_generalTab);
    DDX_Control(pDX, IDC_SETTINGS_TAB_IGNORE, m_ignoreTab);
    DDX_Control(pDX, IDC_TOOL_CLOSE, m_closeButton);
    DDX_Control(pDX, IDC_TOOL_REMOVE, m_removeButton);
    DDX_Control(pDX, IDC_SETTINGS_IGNORE_LIST, m_ignoreList);
    DDX_Control(pDX, IDC_SETTINGS_SCAN_AT_LOGON, m_scanAtLogon);
    DDX_Control(pDX, IDC_SETTINGS_AUTO_BACKUP, m_autoBackup);
    DDX_Control(pDX, IDC_SETTINGS_CHECK_UPDATES, m_checkUpdates);
}

BOOL CSettingsDlg::PreTranslateMessage(MSG* pMsg)
{
    // The Alt key never reaches the dialog (its mnemonics would press the check buttons).
    if (pMsg->wParam == VK_MENU)
        return TRUE;
    return StyleDialog::PreTranslateMessage(pMsg);
}

// --- the logon task -------------------------------------------------------------------------

int CSettingsDlg::CreateScanOnLogonTask()
{
    CString user;
    if (!GetCurrentUserName(user))
        return 0;
    const CString program = GetProgramPath();
    const int slash = program.ReverseFind('\\');
    CTask task;
    task.SetProgram(program);
    task.SetStartupDir(slash < 0 ? CString() : program.Left(slash + 1));
    task.SetParameters(ScanAtLogonParameters);
    task.SetComment(ScanAtLogonComment);
    task.SetAccountName(user);
    SYSTEMTIME now;
    GetLocalTime(&now);
    task.SetStartDateTime(now);
    task.SetFrequency(TaskScheduleOther);
    return task.SaveTask(FormatScanOnLogonTaskName(user), 0) == S_OK ? 1 : 0;
}

int CSettingsDlg::DeleteScanOnLogonTask()
{
    CString user;
    if (!GetCurrentUserName(user))
        return 0;
    return CTask::DeleteTask(FormatScanOnLogonTaskName(user)) == S_OK ? 1 : 0;
}

void CSettingsDlg::HasScanOnLogonTask()
{
    CString user;
    if (!GetCurrentUserName(user))
        return;
    const CString name = FormatScanOnLogonTaskName(user);
    CTask task;
    // A path differs from this program's only by its case when it names the same file: such a
    // task is kept. A task of a copy elsewhere (or one that cannot be read) goes.
    if (task.LoadTask(name) == S_OK && task.GetProgram().CompareNoCase(GetProgramPath()) == 0) {
        m_scanAtLogon.SetState(1);
        return;
    }
    m_scanAtLogon.SetState(0);
    CTask::DeleteTask(name);
}

// --- the ignore list ------------------------------------------------------------------------

void CSettingsDlg::FillIgnoreList()
{
    IgnoreEntryMap entries;
    if (m_pScanItems) {
        m_pScanItems->ReloadIgnoreList();
        m_pScanItems->GetIgnoreMap(&entries);
    }
    if (entries.size() < LimitedRowCount + 1) {
        if (CWnd* showMore = GetDlgItem(IDC_TOOL_SHOW_MORE))
            showMore->ShowWindow(SW_HIDE);
        m_limited = 0;
    }
    int row = 0;
    for (const IgnoreEntryMap::value_type& entry : entries) {
        const int at = m_ignoreList.InsertItem(m_ignoreList.GetItemCount(), KeyText(entry.first));
        m_ignoreList.SetItemText(at, 1, KeyCategory(entry.first));
        if (++row == LimitedRowCount && m_limited)
            break;
    }
}

void CSettingsDlg::ShowAllIgnoreEntries()
{
    if (CWnd* showMore = GetDlgItem(IDC_TOOL_SHOW_MORE))
        showMore->ShowWindow(SW_HIDE);
    m_limited = 0;
    m_ignoreList.DeleteAllItems();
    FillIgnoreList();
}

void CSettingsDlg::RemoveIgnoreEntry()
{
    if (m_ignoreList.GetItemCount() < 1 || m_ignoreList.GetSelectedCount() < 1 || !m_pScanItems)
        return;
    m_pScanItems->ReloadIgnoreList();
    IgnoreEntryMap entries;
    m_pScanItems->GetIgnoreMap(&entries);
    const int mark = int(m_ignoreList.SendMessage(LVM_GETSELECTIONMARK));
    const CString text = m_ignoreList.GetItemText(mark, 0);
    // One entry per click, whatever its category: the first in map order.
    for (IgnoreEntryMap::iterator it = entries.begin(); it != entries.end(); ++it) {
        if (KeyText(it->first).Compare(text) != 0)
            continue;
        entries.erase(it);
        if (m_pScanItems->RewriteIgnoreList(&entries))
            m_ignoreList.DeleteItem(mark);
        break;
    }
    m_ignoreList.DeleteAllItems();
    FillIgnoreList();
}

// --- the look -------------------------------------------------------------------------------

void CSettingsDlg::SetCheckButtonFaces(StyleButton& button, const char* caption)
{
    CRect r;
    button.GetClientRect(&r);
    Style faces[2];
    const int pictures[2] = {IDR_PNG_CHECK_OFF, IDR_PNG_CHECK_ON};
    for (int i = 0; i < 2; ++i) {
        StyleLayer box(0, (r.Height() - CheckBoxSize) / 2, CheckBoxSize, CheckBoxSize);
        box.AddImageElement(0, 0, pictures[i], "PNG", 0, 0);
        faces[i].AddLayer(box);
        StyleLayer text(CheckBoxSize + 6, 0, r.Width() - CheckBoxSize - 6, r.Height());
        text.AddTextElement(caption, 0, 0, float((r.Height() - 16) / 2), CheckText, 14, RegularText,
                            "Calibri");
        faces[i].AddLayer(text);
    }
    button.SetFaceStyle(faces[0]);
    button.SetCheckedStyles(faces[1]);
    button.SetToggleMode(true);
    button.SetState(0);
}

void CSettingsDlg::BuildSkin()
{
    CRect client;
    GetClientRect(&client);
    const CRect generalTab = DialogControlRect(this, IDC_SETTINGS_TAB_GENERAL);
    AddTitleStrip(m_background, client, generalTab.top, IDR_PNG_SETTINGS_TITLE, "Settings");
    AddWhiteBody(m_background, client, generalTab.top);
    AddHeaderStrip(m_background, DialogControlRect(this, IDC_SETTINGS_HEADER_COVER), 0xFFFFFFFF,
                   0xFFF3F3F3, 0xFFEBEBEB, 0, "Registry Key", 0.0468, "Category", 0.5092, 0.0834);

    SetCloseButtonFaces(m_closeButton);
    SetTabButtonFaces(m_generalTab, "General");
    SetTabButtonFaces(m_ignoreTab, "Ignore List");
    SetActionButtonFaces(m_removeButton, "Remove", 0xFFFFA200);
    SetCheckButtonFaces(m_scanAtLogon, "Run scan on Windows startup");
    SetCheckButtonFaces(m_autoBackup, "Auto backup registry when cleaning");
    SetCheckButtonFaces(m_checkUpdates, "Check updates on startup");
}

BOOL CSettingsDlg::OnInitDialog()
{
    // The window text names the dialog on the taskbar; the caption is the skin's own strip.
    SetCaptionText("Settings");
    StyleDialog::OnInitDialog();
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
    BuildSkin();
    OnTabGeneral();

    CRect list;
    m_ignoreList.GetClientRect(&list);
    const int half = list.Width() / 2;
    m_ignoreList.InsertColumn(0, "Registry Key", LVCFMT_LEFT, half);
    m_ignoreList.InsertColumn(1, "Category", LVCFMT_LEFT, list.Width() - half);
    m_ignoreList.ModifyStyle(LVS_OWNERDRAWFIXED, 0);
    FillIgnoreList();

    if (m_pSettings) {
        m_checkUpdates.SetState(m_pSettings->SoftwareUpdate ? 1 : 0);
        m_autoBackup.SetState(m_pSettings->AutoRegBackup ? 1 : 0);
    }
    HasScanOnLogonTask();
    return TRUE;
}

void CSettingsDlg::ShowTabControls(bool general)
{
    if (CWnd* cover = GetDlgItem(IDC_SETTINGS_HEADER_COVER))
        cover->ShowWindow(general ? SW_SHOW : SW_HIDE);
    if (CWnd* showMore = GetDlgItem(IDC_TOOL_SHOW_MORE))
        showMore->ShowWindow(!general && m_limited ? SW_SHOW : SW_HIDE);
    m_ignoreList.ShowWindow(general ? SW_HIDE : SW_SHOW);
    m_removeButton.ShowWindow(general ? SW_HIDE : SW_SHOW);
    for (StyleButton* check : {&m_scanAtLogon, &m_autoBackup, &m_checkUpdates})
        check->ShowWindow(general ? SW_SHOW : SW_HIDE);
}

void CSettingsDlg::OnTabGeneral()
{
    SelectTab(m_generalTab, m_ignoreTab);
    ShowTabControls(true);
}

void CSettingsDlg::OnTabIgnoreList()
{
    SelectTab(m_ignoreTab, m_generalTab);
    ShowTabControls(false);
}

BOOL CSettingsDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    CRect client;
    GetClientRect(&client);
    m_background.Paint(pDC, client.left, client.top, client.right, client.bottom);
    DrawHeaderDivider(pDC, DialogControlRect(this, IDC_SETTINGS_TAB_IGNORE).left,
                      DialogControlRect(this, IDC_SETTINGS_HEADER_COVER));
    return TRUE;
}

HBRUSH CSettingsDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    // The statics stand on the white body: the label, and the cover of the header strip.
    if (pWnd->GetDlgCtrlID() == IDC_TOOL_SHOW_MORE)
        pDC->SetTextColor(ShowMoreColour);
    pDC->SetBkColor(RGB(255, 255, 255));
    return HBRUSH(m_whiteBrush.m_hObject);
}

void CSettingsDlg::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    StyleDialog::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

BOOL CSettingsDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd && pWnd->GetDlgCtrlID() == IDC_TOOL_SHOW_MORE) {
        ::SetCursor(::LoadCursor(NULL, IDC_HAND));
        return TRUE;
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}

// --- closing --------------------------------------------------------------------------------

void CSettingsDlg::OnScanAtLogon()
{
    // The state is read when the dialog is closed.
}

void CSettingsDlg::OnCloseAndApply()
{
    if (m_pSettings) {
        m_pSettings->SoftwareUpdate = m_checkUpdates.GetChecked() ? 1 : 0;
        m_pSettings->AutoRegBackup = m_autoBackup.GetChecked() ? 1 : 0;
        SaveProgramSettings(*m_pSettings);
    }
    if (m_scanAtLogon.GetChecked())
        CreateScanOnLogonTask();
    else
        DeleteScanOnLogonTask();
    OnCancel();
}

void CSettingsDlg::OnClose()
{
    // Closed without "X" (Alt+F4, the taskbar): nothing is applied.
    StyleDialog::OnClose();
}
