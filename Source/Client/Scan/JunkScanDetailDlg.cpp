// The junk results page (see JunkScanDetailDlg.h).
#include "Client/Scan/JunkScanDetailDlg.h"

#include "Client/Resources/ControlResources.h"
#include "Client/Resources/ResultsResources.h"
#include "Client/Scan/ResultPageLook.h"
#include "Client/Scan/ScanCategories.h"
#include "Engine/Interfaces/EngineInterfaces.h"

namespace {

// A deadline this far ahead of the tick count is never reached.
const DWORD NoDeadline = 0x7FFFFFFF;

// A category's item says "trace is" / "traces were" or "file(s) were" before "found".
enum NounKind { Files, Traces };

// The junk categories in the order the engine reports them, with their group.
const struct {
    DWORD bit;
    CJunkScanDetailDlg::JunkGroup group;
    const char* name;
    NounKind noun;
} JunkRows[CJunkScanDetailDlg::JunkCategoryCount] = {
    {0x1, CJunkScanDetailDlg::GroupWindows, "Temporary Files", Files},
    {0x2, CJunkScanDetailDlg::GroupWindows, "Explorer MRUs", Traces},
    {0x4, CJunkScanDetailDlg::GroupWindows, "Run (in Start Menu)", Traces},
    {0x8, CJunkScanDetailDlg::GroupWindows, "Recycle Bin", Files},
    {0x10, CJunkScanDetailDlg::GroupWindows, "Search Autocomplete", Traces},
    {0x20, CJunkScanDetailDlg::GroupWindows, "Recent Documents", Files},
    {0x200000, CJunkScanDetailDlg::GroupWindows, "Installer Cache", Files},
    {0x10000, CJunkScanDetailDlg::GroupChrome, "Chrome - Cookies", Files},
    {0x20000, CJunkScanDetailDlg::GroupChrome, "Chrome - Download History", Files},
    {0x40000, CJunkScanDetailDlg::GroupChrome, "Chrome - Internet Cache", Files},
    {0x80000, CJunkScanDetailDlg::GroupChrome, "Chrome - Internet History", Files},
    {0x100000, CJunkScanDetailDlg::GroupChrome, "Chrome - Saved Form Info", Files},
    {0x800, CJunkScanDetailDlg::GroupFirefox, "FF - Cookies", Files},
    {0x1000, CJunkScanDetailDlg::GroupFirefox, "FF - Download History", Files},
    {0x2000, CJunkScanDetailDlg::GroupFirefox, "FF - Internet Cache", Files},
    {0x4000, CJunkScanDetailDlg::GroupFirefox, "FF - Internet History", Files},
    {0x8000, CJunkScanDetailDlg::GroupFirefox, "FF - Saved Form Info", Files},
    {0x40, CJunkScanDetailDlg::GroupInternetExplorer, "IE - Cookies", Files},
    {0x80, CJunkScanDetailDlg::GroupInternetExplorer, "IE - Typed URLs", Traces},
    {0x100, CJunkScanDetailDlg::GroupInternetExplorer, "IE - Internet Cache", Files},
    {0x200, CJunkScanDetailDlg::GroupInternetExplorer, "IE - Internet History", Files},
    {0x400, CJunkScanDetailDlg::GroupInternetExplorer, "IE - Saved Form Info", Files},
    {0x400000, CJunkScanDetailDlg::GroupEdge, "Edge - Cookies", Files},
    {0x800000, CJunkScanDetailDlg::GroupEdge, "Edge - Download History", Files},
    {0x1000000, CJunkScanDetailDlg::GroupEdge, "Edge - Internet Cache", Files},
    {0x2000000, CJunkScanDetailDlg::GroupEdge, "Edge - Internet History", Files},
};

// The groups by their slot: the node's text, image, the category that creates the node, the
// one after which its summary is written, and whether the summary speaks of traces too.
const struct {
    const char* nodeText;
    const char* summaryName;
    int image;
    DWORD firstBit;
    DWORD lastBit;
    bool traces;
} JunkGroups[CJunkScanDetailDlg::GroupCount] = {
    {"<font size=\"+1\">Windows System</font>", "Windows System", 4, 0x1, 0x200000, true},
    {"<font size=\"+1\">Internet Explorer</font>", "Internet Explorer", 1, 0x40, 0x200, true},
    {"<font size=\"+1\">Mozilla Firefox</font>", "Mozilla Firefox", 2, 0x800, 0x4000, false},
    {"<font size=\"+1\">Google Chrome</font>", "Google Chrome", 3, 0x10000, 0x80000, false},
    {"<font size=\"+1\">Microsoft Edge </font>", "Microsoft Edge", 5, 0x400000, 0x2000000, false},
};

// No image of the list has this index: category items show none.
const int CategoryItemImage = 65534;
const int TreeItemHeight = 25;
const int ItemImageWidth = 18, ItemImageHeight = 17;
const int StateImageWidth = 13, StateImageHeight = 18;
const COLORREF ImageMaskColour = RGB(255, 255, 255);

int FindRow(DWORD category)
{
    for (int row = 0; row < CJunkScanDetailDlg::JunkCategoryCount; ++row)
        if (JunkRows[row].bit == category)
            return row;
    return -1;
}

// A size as the scan page shows it: bytes up to 1024, then KB, MB, ... with two decimals.
CString FormatJunkSize(ULONGLONG size)
{
    CString text;
    if (size == 0) {
        text = "0 bytes";
    } else if (size <= 1024) {
        text.Format("%I64d bytes", size);
    } else {
        static const char* const units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
        double value = double(size) / 1024.0;
        int unit = 0;
        while (value > 1024.0 && unit < 5) {
            value /= 1024.0;
            ++unit;
        }
        text.Format("%.2f %s", value, units[unit]);
    }
    return text;
}

// What a call from another thread asks the page's own thread to do.
struct PageThreadCall {
    enum Kind { Reset, AppendItem, AddSection } kind;
    DWORD category;
    ULONGLONG size;
    ULONGLONG count;
    const char* text;
};

}  // namespace

BEGIN_MESSAGE_MAP(CJunkScanDetailDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_SETCURSOR()
    ON_BN_CLICKED(IDC_JUNKRESULTS_CLEAN, &CJunkScanDetailDlg::OnBack)
    ON_BN_CLICKED(IDC_RESULTS_BACK, &CJunkScanDetailDlg::OnBack)
    ON_MESSAGE(WM_JUNKRESULTS_ON_PAGE_THREAD, &CJunkScanDetailDlg::OnRunOnPageThread)
END_MESSAGE_MAP()

CJunkScanDetailDlg::CJunkScanDetailDlg()
    : StyleDialog(IDD_PAGE_JUNK_RESULTS, NULL), m_OpenCategory(0), m_hOpenItem(NULL), m_NextEntry(0),
      m_pScanPage(NULL)
{
    for (int g = 0; g < GroupCount; ++g) {
        m_hGroups[g] = NULL;
        m_GroupSizes[g] = m_GroupCounts[g] = 0;
    }
    for (HTREEITEM& item : m_hCategoryItems)
        item = NULL;
}

DWORD CJunkScanDetailDlg::GetLastSelScanJunkTypes()
{
    return GetLastSelScanTypes(ScanKindJunk);
}

// --- texts ----------------------------------------------------------------------------------

CString CJunkScanDetailDlg::SectionText(DWORD category, ULONGLONG size, ULONGLONG count)
{
    const int row = FindRow(category);
    if (row < 0)
        return CString();
    CString name, result;
    name.Format("<font size=\"+1\">%s </font>", JunkRows[row].name);
    if (count > 0) {
        const char* noun = JunkRows[row].noun == Files ? "file(s) were"
                           : count == 1               ? "trace is"
                                                      : "traces were";
        result.Format("\"#1a66a2\">(%I64d %s found , a total of %s", count, noun,
                      FormatJunkSize(size).GetString());
    } else {
        result = "\"#2ab034\">(No junk found";
    }
    CString text;
    text.Format("%s<font size=\"+1\" color=%s)</font>", name.GetString(), result.GetString());
    return text;
}

CString CJunkScanDetailDlg::EntryText(const CString& text, ULONGLONG size)
{
    CString label;
    label.Format("<font size=\"+1\">%s </font><font size=\"+1\" color=\"#2ab034\">(%s)</font>",
                 text.GetString(), FormatJunkSize(size).GetString());
    return label;
}

CString CJunkScanDetailDlg::GroupSummaryText(int group, ULONGLONG size, ULONGLONG count)
{
    if (group < 0 || group >= GroupCount)
        return CString();
    CString sentence;
    if (count > 0)
        sentence.Format(JunkGroups[group].traces ? "%I64d file(s)\\trace(s) were found , a total of %s"
                                                 : "%I64d file(s) were found , a total of %s",
                        count, FormatJunkSize(size).GetString());
    else
        sentence = "No junk found";
    CString text;
    text.Format("<font size=\"+1\">%s </font><font size=\"+1\" color=\"#ea7100\">(%s)</font>",
                JunkGroups[group].summaryName, sentence.GetString());
    return text;
}

// --- set-up ---------------------------------------------------------------------------------

void CJunkScanDetailDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_JUNKRESULTS_TREE, m_Tree);
    DDX_Control(pDX, IDC_JUNKRESULTS_CLEAN, m_CleanButton);
    DDX_Control(pDX, IDC_RESULTS_BACK, m_BackButton);
    DDX_Control(pDX, IDC_JUNKRESULTS_HEADING, m_Heading);
    DDX_Control(pDX, IDC_JUNKRESULTS_TOTAL_LABEL, m_TotalLabel);
    DDX_Control(pDX, IDC_JUNKRESULTS_SUMMARY, m_SummaryText);
}

BOOL CJunkScanDetailDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    SetupBorderStyle(m_frameStyle, BorderStyleWhiteWindow);
    SetResultButtonFace(m_BackButton, IDR_PNG_RESULTS_BACK, "Back");
    SetResultButtonFace(m_CleanButton, IDR_PNG_RESULTS_CLEAN, "Clean");
    m_HeaderStyle = BuildResultHeaderBand(GetResultArea(this, m_pScanPage), IDR_PNG_JUNK_HEADER);
    CreateResultFonts(m_HeadingFont, m_TotalFont, m_SummaryFont);
    m_Heading.SetFont(&m_HeadingFont);
    m_TotalLabel.SetFont(&m_TotalFont);
    m_SummaryText.SetFont(&m_SummaryFont);
    FitHeadingToText(m_Heading, {&m_TotalLabel, &m_SummaryText});
    SetUpTree();
    return TRUE;
}

void CJunkScanDetailDlg::SetUpTree()
{
    m_Tree.SetItemHeight(TreeItemHeight);
    CBitmap images, states;
    if (m_ItemImages.Create(ItemImageWidth, ItemImageHeight, ILC_COLOR32 | ILC_MASK, 6, 1) &&
        images.LoadBitmap(IDB_JUNK_TREE_IMAGES))
        m_ItemImages.Add(&images, ImageMaskColour);
    m_Tree.SetImageList(&m_ItemImages, TVSIL_NORMAL);
    m_Tree.Initialize(TRUE, FALSE);
    m_Tree.SetSmartCheck(TRUE);
    // The tree's own check boxes are replaced by the skin's, which also have the disabled looks
    // the single entries are drawn with.
    if (m_StateImages.Create(StateImageWidth, StateImageHeight, ILC_COLOR32 | ILC_MASK, 16, 1) &&
        states.LoadBitmap(IDB_TREE_STATES) && m_StateImages.Add(&states, ImageMaskColour) >= 0)
        m_Tree.SetImageList(&m_StateImages, TVSIL_STATE);
}

// --- the scan's reports ---------------------------------------------------------------------

bool CJunkScanDetailDlg::IsOtherThread() const
{
    return m_hWnd && ::GetWindowThreadProcessId(m_hWnd, NULL) != ::GetCurrentThreadId();
}

LRESULT CJunkScanDetailDlg::OnRunOnPageThread(WPARAM wParam, LPARAM)
{
    const PageThreadCall* call = reinterpret_cast<const PageThreadCall*>(wParam);
    if (!call)
        return 0;
    switch (call->kind) {
    case PageThreadCall::Reset: Reset(); break;
    case PageThreadCall::AppendItem: AppendItem(call->text, call->size); break;
    case PageThreadCall::AddSection: AddSection(call->category, call->size, call->count); break;
    }
    return 1;
}

void CJunkScanDetailDlg::Reset()
{
    if (IsOtherThread()) {
        PageThreadCall call = {PageThreadCall::Reset, 0, 0, 0, NULL};
        SendMessage(WM_JUNKRESULTS_ON_PAGE_THREAD, WPARAM(&call), 0);
        return;
    }
    if (m_Tree.m_hWnd)
        m_Tree.DeleteAllItems();
    // A section still going in is dropped with its entries; entries not yet in a section stay.
    if (m_OpenCategory)
        m_Entries.clear();
    m_OpenCategory = 0;
    m_hOpenItem = NULL;
    m_NextEntry = 0;
    for (int g = 0; g < GroupCount; ++g)
        m_GroupSizes[g] = m_GroupCounts[g] = 0;
    for (HTREEITEM& item : m_hCategoryItems)
        item = NULL;
}

void CJunkScanDetailDlg::AppendItem(const char* text, ULONGLONG size)
{
    if (!text || !*text || size == 0)
        return;
    if (IsOtherThread()) {
        PageThreadCall call = {PageThreadCall::AppendItem, 0, size, 0, text};
        SendMessage(WM_JUNKRESULTS_ON_PAGE_THREAD, WPARAM(&call), 0);
        return;
    }
    m_Entries.push_back(EntryList::value_type(CString(text), size));
}

void CJunkScanDetailDlg::AddSection(DWORD category, ULONGLONG size, ULONGLONG count)
{
    if (IsOtherThread()) {
        PageThreadCall call = {PageThreadCall::AddSection, category, size, count, NULL};
        SendMessage(WM_JUNKRESULTS_ON_PAGE_THREAD, WPARAM(&call), 0);
        return;
    }
    AddSectionHere(category, size, count);
}

void CJunkScanDetailDlg::AddSectionHere(DWORD category, ULONGLONG size, ULONGLONG count)
{
    BeginSection(category, size, count);
    AddSectionEntries(GetTickCount() + NoDeadline);
}

void CJunkScanDetailDlg::AppendItems(EntryList& entries)
{
    if (m_Entries.empty())
        m_Entries.swap(entries);
    else
        m_Entries.insert(m_Entries.end(), entries.begin(), entries.end());
    entries.clear();
}

void CJunkScanDetailDlg::BeginSection(DWORD category, ULONGLONG size, ULONGLONG count)
{
    m_OpenCategory = 0;
    m_hOpenItem = NULL;
    m_NextEntry = 0;
    const int row = FindRow(category);
    if (row < 0)
        return;
    const DWORD scanned = m_pScanPage ? m_pScanPage->GetScannedJunkMask() : 0;
    const int group = JunkRows[row].group;
    m_GroupSizes[group] += size;
    m_GroupCounts[group] += count;
    if (!m_Tree.m_hWnd)
        return;
    if (category == JunkGroups[group].firstBit)
        m_hGroups[group] = m_Tree.InsertItem(JunkGroups[group].nodeText, JunkGroups[group].image,
                                             JunkGroups[group].image, TVI_ROOT, TVI_LAST);
    HTREEITEM parent = m_hGroups[group] ? m_hGroups[group] : TVI_ROOT;
    HTREEITEM item = m_Tree.InsertItem(SectionText(category, size, count), CategoryItemImage,
                                       CategoryItemImage, parent, TVI_LAST);
    SetCategoryItem(item, category);
    if (item && (scanned & category))
        m_Tree.SetCheck(item, TRUE);
    m_OpenCategory = category;
    m_hOpenItem = item;
}

bool CJunkScanDetailDlg::InsertAppendedEntries(DWORD deadline)
{
    // A category outside the list, or no tree: nothing was begun (the entries stay listed).
    if (!m_OpenCategory)
        return true;
    if (m_hOpenItem) {
        // Ticked and disabled: an entry goes with its category. The deadline is looked at every
        // few hundred entries only.
        const size_t total = m_Entries.size();
        while (m_NextEntry < total) {
            const std::pair<CString, ULONGLONG>& entry = m_Entries[m_NextEntry++];
            m_Tree.InsertLeafItem(EntryText(entry.first, entry.second), m_hOpenItem, TRUE, FALSE);
            if (m_NextEntry % 256 == 0 && m_NextEntry < total && int(GetTickCount() - deadline) >= 0)
                return false;
        }
    }
    m_Entries.clear();
    m_NextEntry = 0;
    return true;
}

void CJunkScanDetailDlg::SetSectionTotals(ULONGLONG size, ULONGLONG count)
{
    const DWORD category = m_OpenCategory;
    if (!category)
        return;
    const int group = JunkRows[FindRow(category)].group;
    m_GroupSizes[group] += size;
    m_GroupCounts[group] += count;
    if (m_hOpenItem && m_Tree.m_hWnd)
        m_Tree.SetItemText(m_hOpenItem, SectionText(category, size, count));
}

bool CJunkScanDetailDlg::AddSectionEntries(DWORD deadline)
{
    const DWORD category = m_OpenCategory;
    if (!category)
        return true;
    if (!InsertAppendedEntries(deadline))
        return false;
    m_OpenCategory = 0;
    m_hOpenItem = NULL;
    const int group = JunkRows[FindRow(category)].group;
    if (category == JunkGroups[group].lastBit && m_hGroups[group] && m_Tree.m_hWnd)
        m_Tree.SetItemText(m_hGroups[group], GroupSummaryText(group, m_GroupSizes[group], m_GroupCounts[group]));
    return true;
}

// --- selection ------------------------------------------------------------------------------

void CJunkScanDetailDlg::SetCategoryItem(HTREEITEM item, DWORD category)
{
    const int row = FindRow(category);
    if (item && row >= 0)
        m_hCategoryItems[row] = item;
}

HTREEITEM CJunkScanDetailDlg::GetCategoryItem(DWORD category) const
{
    const int row = FindRow(category);
    return row >= 0 ? m_hCategoryItems[row] : NULL;
}

DWORD CJunkScanDetailDlg::GetSelectedJunkTypes()
{
    if (!m_Tree.m_hWnd || !m_Tree.GetFirstVisibleItem())
        return 0;
    DWORD mask = 0;
    for (int row = 0; row < JunkCategoryCount; ++row) {
        HTREEITEM item = m_hCategoryItems[row];
        if (!item)
            item = m_Tree.FindItem(JunkRows[row].name, TRUE, TRUE, TRUE, NULL, m_Tree.GetRootItem());
        if (item && m_Tree.GetCheck(item))
            mask |= JunkRows[row].bit;
    }
    return mask;
}

// --- messages -------------------------------------------------------------------------------

void CJunkScanDetailDlg::OnBack()
{
    StyleDialog::OnBnClickedBack();
}

BOOL CJunkScanDetailDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    CRect client;
    GetClientRect(&client);
    m_HeaderStyle.Paint(pDC, client.left, client.top, client.right, client.bottom);
    DrawResultPageLines(pDC, GetResultArea(this, m_pScanPage));
    return TRUE;
}

HBRUSH CJunkScanDetailDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(pWnd->GetDlgCtrlID() == IDC_JUNKRESULTS_SUMMARY ? ResultTextColour
                                                                      : ResultHeadingColour);
    return HBRUSH(::GetStockObject(WHITE_BRUSH));
}

BOOL CJunkScanDetailDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd && pWnd->m_hWnd == m_BackButton.m_hWnd) {
        ::SetCursor(::LoadCursor(NULL, IDC_HAND));
        return TRUE;
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}
