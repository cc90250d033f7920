// The Restore Center (see RestoreCenterDlg.h).
#include "Client/Tools/RestoreCenterDlg.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

#include "Client/Resources/ControlResources.h"
#include "Client/Resources/ToolDialogResources.h"
#include "Client/Skin/MsgBoxDlg.h"
#include "Client/Tools/ToolDialogLook.h"
#include "Framework/FileFind.h"
#include "Framework/FinalPath.h"
#include "Framework/ModulePath.h"

namespace {

const char BackupRootName[] = "TarnexRegBackup";
const DWORD NameBufferSize = 1024;
const COLORREF ShowMoreColour = 0xCC5511;
const int RowImageWidth = 13, RowImageHeight = 18;

const char* const MonthNames[12] = {
    "January", "February", "March", "April", "May", "June",
    "July", "August", "September", "October", "November", "December",
};

const char RestoreFailedText[] = "Registry restore could not be completed.";
const char InternetFailedText[] = "Default internet speed settings could not be restored completely.";
const char SystemFailedText[] = "Default system speed settings could not be restored completely.";

}  // namespace

BEGIN_MESSAGE_MAP(CRestoreCenterDlg, StyleDialog)
    ON_BN_CLICKED(IDC_TOOL_CLOSE, &StyleDialog::OnBnClickedClose)
    ON_BN_CLICKED(IDC_RESTORE_TAB_REGISTRY, &CRestoreCenterDlg::OnTabRegistry)
    ON_BN_CLICKED(IDC_RESTORE_TAB_DEFAULTS, &CRestoreCenterDlg::OnTabDefaults)
    ON_BN_CLICKED(IDC_RESTORE_RESTORE, &CRestoreCenterDlg::OnRestore)
    ON_BN_CLICKED(IDC_TOOL_REMOVE, &CRestoreCenterDlg::OnRemove)
    ON_BN_CLICKED(IDC_RESTORE_INTERNET, &CRestoreCenterDlg::OnInternetDefaults)
    ON_BN_CLICKED(IDC_RESTORE_SYSTEM, &CRestoreCenterDlg::OnSystemDefaults)
    // A notifying static's click arrives as notification code 0, which is BN_CLICKED's.
    ON_BN_CLICKED(IDC_TOOL_SHOW_MORE, &CRestoreCenterDlg::OnShowMore)
    ON_WM_SETCURSOR()
    ON_WM_CTLCOLOR()
    ON_WM_MEASUREITEM()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CRestoreCenterDlg::CRestoreCenterDlg(CWnd* parent)
    : StyleDialog(IDD_RESTORE_CENTER, parent), m_pProcess(NULL), m_pTweakSettings(NULL),
      m_handCursor(NULL), m_limited(1)
{
}

void CRestoreCenterDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TOOL_CLOSE, m_closeButton);
    DDX_Control(pDX, IDC_RESTORE_TAB_REGISTRY, m_registryTab);
    DDX_Control(pDX, IDC_RESTORE_TAB_DEFAULTS, m_defaultsTab);
    DDX_Control(pDX, IDC_RESTORE_RESTORE, m_restoreButton);
    DDX_Control(pDX, IDC_TOOL_REMOVE, m_removeButton);
    DDX_Control(pDX, IDC_RESTORE_LIST, m_list);
    DDX_Control(pDX, IDC_RESTORE_INTERNET, m_internetButton);
    DDX_Control(pDX, IDC_RESTORE_SYSTEM, m_systemButton);
}

// --- the backups ----------------------------------------------------------------------------

CString CRestoreCenterDlg::GetBackupFolder()
{
    CString folder = GetProgramFolder();
    folder += BackupRootName;
    folder += "\\";
    char name[NameBufferSize] = {};
    DWORD size = NameBufferSize;
    if (GetComputerNameA(name, &size)) {
        folder += name;
        folder += "-";
    }
    char windows[MAX_PATH] = {};
    if (SHGetFolderPathA(NULL, CSIDL_WINDOWS, NULL, SHGFP_TYPE_CURRENT, windows) == S_OK) {
        const CString root = CString(windows).Left(3);
        DWORD serial = 0;
        if (GetVolumeInformationA(root, NULL, 0, &serial, NULL, NULL, NULL, 0)) {
            CString number;
            number.Format("%u-", unsigned(serial));
            folder += number;
        }
    }
    // The size is what the computer-name query left: the engine names its folder so.
    char user[NameBufferSize] = {};
    if (GetUserNameA(user, &size))
        folder += user;
    return folder;
}

CString CRestoreCenterDlg::BackupDisplayName(const char* fileName)
{
    const CString name(fileName);
    const int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

CString CRestoreCenterDlg::FormatBackupDate(const FILETIME& creationTime)
{
    FILETIME local;
    SYSTEMTIME t;
    if (!FileTimeToLocalFileTime(&creationTime, &local) || !FileTimeToSystemTime(&local, &t) ||
        t.wMonth < 1 || t.wMonth > 12)
        return CString();
    CString date;
    date.Format("%s %02u, %04u (%02u:%02u:%02u)", MonthNames[t.wMonth - 1], unsigned(t.wDay),
                unsigned(t.wYear), unsigned(t.wHour), unsigned(t.wMinute), unsigned(t.wSecond));
    return date;
}

void CRestoreCenterDlg::ListBackups()
{
    const CString folder = GetBackupFolder();
    CString pattern;
    pattern.Format("%s\\*.rbk", folder.GetString());
    CFindHandle find;
    WIN32_FIND_DATAA entry;
    for (BOOL more = find.FindFirst(pattern, entry); more; more = find.FindNext(entry)) {
        const CString file(entry.cFileName);
        if (file == "." || file == ".." || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        BackupRecord record;
        record.name = BackupDisplayName(file);
        record.date = FormatBackupDate(entry.ftCreationTime);
        record.path = folder + "\\" + file;
        if (!record.name.IsEmpty())
            m_backups.push_back(record);
    }
    std::reverse(m_backups.begin(), m_backups.end());
    if (m_backups.size() < LimitedRowCount + 1) {
        if (CWnd* showMore = GetDlgItem(IDC_TOOL_SHOW_MORE))
            showMore->ShowWindow(SW_HIDE);
        m_limited = 0;
    }
}

void CRestoreCenterDlg::FillList()
{
    int count = int(m_backups.size());
    if (m_limited && count > LimitedRowCount)
        count = LimitedRowCount;
    if (!m_list.m_hWnd)
        return;
    for (int i = 0; i < count; ++i) {
        m_list.InsertItem(i, m_backups[size_t(i)].name);
        m_list.SetItemText(i, 1, m_backups[size_t(i)].date);
        m_list.SetItemData(i, DWORD_PTR(i));
    }
}

void CRestoreCenterDlg::RefreshList()
{
    if (m_list.m_hWnd)
        m_list.DeleteAllItems();
    m_backups.clear();
    ListBackups();
    FillList();
}

// --- the look -------------------------------------------------------------------------------

CRect CRestoreCenterDlg::ControlRect(int id) const
{
    return DialogControlRect(this, id);
}

void CRestoreCenterDlg::BuildSkin()
{
    CRect client;
    GetClientRect(&client);
    const CRect registryTab = ControlRect(IDC_RESTORE_TAB_REGISTRY);
    AddTitleStrip(m_background, client, registryTab.top, IDR_PNG_RESTORE_TITLE, "Restore Center");
    AddWhiteBody(m_background, client, registryTab.top);

    SetCloseButtonFaces(m_closeButton);
    SetTabButtonFaces(m_registryTab, "Registry");
    SetTabButtonFaces(m_defaultsTab, "Defaults");
    SetActionButtonFaces(m_restoreButton, "Restore", 0xFFFF9600);
    SetActionButtonFaces(m_removeButton, "Remove", 0xFFFFA200);

    struct SettingsButton {
        StyleButton& button;
        const char* caption;
        int picture, hotPicture;
    };
    SettingsButton settingsButtons[] = {
        {m_internetButton, "Internet Speed Settings", IDR_PNG_RESTORE_INTERNET, IDR_PNG_RESTORE_INTERNET_HOT},
        {m_systemButton, "System Speed Settings", IDR_PNG_RESTORE_SYSTEM, IDR_PNG_RESTORE_SYSTEM_HOT},
    };
    for (SettingsButton& b : settingsButtons) {
        CRect r;
        b.button.GetClientRect(&r);
        const int pictureSize = 32, pictureLeft = 14;
        Style faces[2];
        const DWORD bottoms[2] = {0xFFFFFFFF, 0xFFECECEC};
        const int pictures[2] = {b.picture, b.hotPicture};
        for (int i = 0; i < 2; ++i) {
            StyleLayer body(0, 0, r.Width(), r.Height());
            body.AddGradientElement(GradientVertical, 0xFFC6C6C6, bottoms[i], 0.0f);
            body.SetAttributes(1, 0xFFC6C6C6);
            faces[i].AddLayer(body);
            StyleLayer picture(pictureLeft, (r.Height() - pictureSize) / 2, pictureSize, pictureSize);
            picture.AddImageElement(0, 0, pictures[i], "PNG", 0, 0);
            faces[i].AddLayer(picture);
            const int textLeft = pictureLeft + pictureSize + 12;
            StyleLayer text(textLeft, 0, r.Width() - textLeft, r.Height());
            text.AddTextElement(b.caption, 0, 0, float((r.Height() - 24) / 2), 0xFF5A5A5A, 20,
                                RegularText, "Calibri");
            faces[i].AddLayer(text);
        }
        b.button.SetFaceStyle(faces[0]);
        b.button.SetHoverStyle(faces[1]);
    }

    // The list has no header control: the band over control 1080 stands in for it.
    AddHeaderStrip(m_background, ControlRect(IDC_RESTORE_HEADER_COVER), 0xFFF3F3F3, 0xFFF3F3F3,
                   0xFFFFFFFF, 0xFFEBEBEB, "Backup", 0.0468, "Date & Time", 0.5692, 0.0834);
}

BOOL CRestoreCenterDlg::OnInitDialog()
{
    // The window text names the dialog on the taskbar; the caption is the skin's own strip.
    SetCaptionText("Restore Center");
    StyleDialog::OnInitDialog();
    BuildSkin();
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));

    CRect list;
    m_list.GetClientRect(&list);
    const int half = list.Width() / 2;
    m_list.InsertColumn(0, "Backup", LVCFMT_LEFT, half);
    m_list.InsertColumn(1, "Date & Time", LVCFMT_LEFT, list.Width() - half);
    m_list.ModifyStyle(LVS_OWNERDRAWFIXED, 0);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES |
                            LVS_EX_FULLROWSELECT);
    // The images are only there for the row height they give.
    if (m_rowImages.Create(RowImageWidth, RowImageHeight, ILC_COLOR32 | ILC_MASK, 0, 1)) {
        CBitmap rows;
        if (rows.LoadBitmap(IDB_TREE_STATES))
            m_rowImages.Add(&rows, RGB(255, 255, 255));
        m_list.SetImageList(&m_rowImages, LVSIL_SMALL);
    }

    RefreshList();

    m_showMoreFont.CreateFont(14, FW_NORMAL, "Arial");
    if (CWnd* showMore = GetDlgItem(IDC_TOOL_SHOW_MORE))
        showMore->SetFont(&m_showMoreFont);
    OnTabRegistry();
    return TRUE;
}

BOOL CRestoreCenterDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    CRect client;
    GetClientRect(&client);
    m_background.Paint(pDC, client.left, client.top, client.right, client.bottom);
    DrawHeaderDivider(pDC, ControlRect(IDC_RESTORE_TAB_DEFAULTS).left, ControlRect(IDC_RESTORE_HEADER_COVER));
    return TRUE;
}

HBRUSH CRestoreCenterDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    // The statics stand on the white body: the label, and the cover of the header band.
    if (pWnd->GetDlgCtrlID() == IDC_TOOL_SHOW_MORE)
        pDC->SetTextColor(ShowMoreColour);
    pDC->SetBkColor(RGB(255, 255, 255));
    return HBRUSH(m_whiteBrush.m_hObject);
}

void CRestoreCenterDlg::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    StyleDialog::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

BOOL CRestoreCenterDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd && pWnd->GetDlgCtrlID() == IDC_TOOL_SHOW_MORE) {
        ::SetCursor(m_handCursor ? m_handCursor : ::LoadCursor(NULL, IDC_HAND));
        return TRUE;
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}

// --- tabs -----------------------------------------------------------------------------------

void CRestoreCenterDlg::OnTabRegistry()
{
    SelectTab(m_registryTab, m_defaultsTab);
    if (CWnd* cover = GetDlgItem(IDC_RESTORE_HEADER_COVER))
        cover->ShowWindow(SW_HIDE);
    m_list.ShowWindow(SW_SHOW);
    if (CWnd* showMore = GetDlgItem(IDC_TOOL_SHOW_MORE))
        showMore->ShowWindow(m_limited ? SW_SHOW : SW_HIDE);
    m_restoreButton.ShowWindow(SW_SHOW);
    m_removeButton.ShowWindow(SW_SHOW);
    m_internetButton.ShowWindow(SW_HIDE);
    m_systemButton.ShowWindow(SW_HIDE);
}

void CRestoreCenterDlg::OnTabDefaults()
{
    SelectTab(m_defaultsTab, m_registryTab);
    if (CWnd* cover = GetDlgItem(IDC_RESTORE_HEADER_COVER))
        cover->ShowWindow(SW_SHOW);
    if (CWnd* showMore = GetDlgItem(IDC_TOOL_SHOW_MORE))
        showMore->ShowWindow(SW_HIDE);
    m_list.ShowWindow(SW_HIDE);
    m_restoreButton.ShowWindow(SW_HIDE);
    m_removeButton.ShowWindow(SW_HIDE);
    m_internetButton.ShowWindow(SW_SHOW);
    m_systemButton.ShowWindow(SW_SHOW);
}

void CRestoreCenterDlg::OnShowMore()
{
    if (CWnd* showMore = GetDlgItem(IDC_TOOL_SHOW_MORE))
        showMore->ShowWindow(SW_HIDE);
    m_limited = 0;
    RefreshList();
}

// --- restore and remove ---------------------------------------------------------------------

void CRestoreCenterDlg::OnRestore()
{
    bool ticked = false, complete = true;
    const int rows = m_list.GetItemCount();
    for (int i = 0; i < rows && size_t(i) < m_backups.size(); ++i) {
        if (!m_list.GetCheck(i))
            continue;
        ticked = true;
        const CString& path = m_backups[size_t(i)].path;
        // A backup is restored only when the file is still there and the engine read all of it.
        if (!PathFileExistsA(path) || !m_pProcess || m_pProcess->ImportRegistryFile(NULL, path) != 1)
            complete = false;
    }
    if (!ticked)
        return;
    if (complete) {
        EndDialog(ResultRegistryRestored);
        return;
    }
    ShowMessageBox(this, RestoreFailedText, MessageBoxOk, FALSE);
    RefreshList();
}

void CRestoreCenterDlg::OnRemove()
{
    const int rows = m_list.GetItemCount();
    if (rows < 1)
        return;
    for (int i = 0; i < rows && size_t(i) < m_backups.size(); ++i) {
        if (!m_list.GetCheck(i))
            continue;
        const CString& path = m_backups[size_t(i)].path;
        if (!PathFileExistsA(path))
            continue;
        if (DeleteOwnFile(path))
            continue;
        // A link (or a path through one) is never deleted, now or at the restart: under Wine
        // that deletes the file it points to.
        if (GetLastError() == ErrorPathIsNotItsOwn)
            continue;
        // A read-only backup goes once its attribute is cleared; one held open goes at the
        // next restart.
        if (SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL) && DeleteOwnFile(path))
            continue;
        MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    RefreshList();
}

// --- defaults -------------------------------------------------------------------------------

void CRestoreCenterDlg::EndAfterDefaults(int restored, int result, const char* failureText)
{
    if (restored == 1) {
        EndDialog(result);
        return;
    }
    ShowMessageBox(this, failureText, MessageBoxOk, FALSE);
}

void CRestoreCenterDlg::OnInternetDefaults()
{
    const int restored = m_pTweakSettings ? m_pTweakSettings->RestoreInternetDefaults() : 0;
    EndAfterDefaults(restored, ResultInternetDefaults, InternetFailedText);
}

void CRestoreCenterDlg::OnSystemDefaults()
{
    const int restored = m_pTweakSettings ? m_pTweakSettings->RestoreSystemDefaults() : 0;
    EndAfterDefaults(restored, ResultSystemDefaults, SystemFailedText);
}
