// COptimizerItem: one tweak's values and its registry reads and writes.
#include "Scan/OptimizerItem.h"

#include <stdlib.h>

#include "Frame/ProgramSettings.h"
#include "Frame/RegistryKey.h"
#include "Frame/SystemFunctions.h"
#include "Scan/NetworkRoute.h"
#include "Scan/TweakDefinitions.h"

namespace {

// Markers of the value table below (never values of a row themselves).
const int NoDefault = -2;   // the row has no Windows default
const int ByProbes = -3;    // the optimal value is computed from the network probes

// The NTFS last-access row: before Windows 10 build 17134 and from it on.
const int NtfsOldDefault = 1;
const int NtfsOldOptimal = 1;
const int NtfsNewDefault = static_cast<int>(0x80000003u);
const int NtfsNewOptimal = static_cast<int>(0x80000001u);
const int TweakRowNtfsLastAccess = 73;
const DWORD NtfsNewDefaultsBuild = 17134;

const int SpeedClassCount = 3;

// Per row: the Windows default and the optimal value of speed classes 0, 1 and 2.
struct TweakValues {
    int windowsDefault;
    int optimal[SpeedClassCount];
};

const TweakValues TweakValueTable[TweakRowCount] = {
    /*  0 */ {120, {1800, 1800, 1800}},
    /*  1 */ {600, {3600, 3600, 3600}},
    /*  2 */ {62, {200, 200, 200}},
    /*  3 */ {128, {64, 64, 64}},
    /*  4 */ {0, {1, 1, 1}},
    /*  5 */ {0, {1, 1, 1}},
    /*  6 */ {1, {1, 1, 1}},
    /*  7 */ {65536, {ByProbes, ByProbes, ByProbes}},
    /*  8 */ {1000, {1000, 1000, 1000}},
    /*  9 */ {7200000, {7200000, 7200000, 7200000}},
    /* 10 */ {1500, {ByProbes, ByProbes, ByProbes}},
    /* 11 */ {1, {1, 1, 1}},
    /* 12 */ {1, {1, 1, 1}},
    /* 13 */ {3, {1, 1, 0}},
    /* 14 */ {2, {0, 0, 0}},
    /* 15 */ {0, {0, 0, 0}},
    /* 16 */ {2, {2, 2, 2}},
    /* 17 */ {120, {30, 30, 30}},
    /* 18 */ {3, {2, 2, 2}},
    /* 19 */ {3, {3, 3, 3}},
    /* 20 */ {2, {5, 5, 5}},
    /* 21 */ {2, {2, 2, 2}},
    /* 22 */ {16777214, {16777214, 16777214, 16777214}},
    /* 23 */ {120, {30, 30, 30}},
    /* 24 */ {0, {0, 0, 0}},
    /* 25 */ {65536, {ByProbes, ByProbes, ByProbes}},
    /* 26 */ {8192, {393216, 98304, 8192}},
    /* 27 */ {8192, {131072, 32768, 8192}},
    /* 28 */ {4096, {32768, 32768, 32768}},
    /* 29 */ {1504, {12032, 12032, 12032}},
    /* 30 */ {128, {1024, 1024, 1024}},
    /* 31 */ {16, {16, 16, 16}},
    /* 32 */ {1, {1, 1, 1}},
    /* 33 */ {3600, {7200, 3600, 1800}},
    /* 34 */ {60000, {300000, 300000, 300000}},
    /* 35 */ {4, {8, 6, 4}},
    /* 36 */ {2, {8, 6, 4}},
    /* 37 */ {60000, {60000, 150000, 300000}},
    /* 38 */ {120000, {300000, 300000, 300000}},
    /* 39 */ {8192, {65536, 65536, 8192}},
    /* 40 */ {8192, {65536, 32768, 8192}},
    /* 41 */ {4356, {16384, 16384, 16384}},
    /* 42 */ {NoDefault, {0, 0, 0}},
    /* 43 */ {1, {1, 1, 1}},
    /* 44 */ {1, {1, 1, 1}},
    /* 45 */ {1, {1, 1, 1}},
    /* 46 */ {300, {300, 300, 300}},
    /* 47 */ {10, {10, 10, 10}},
    /* 48 */ {211, {211, 211, 211}},
    /* 49 */ {86400, {86400, 86400, 86400}},
    /* 50 */ {120, {120, 120, 120}},
    /* 51 */ {300, {300, 300, 300}},
    /* 52 */ {120, {120, 120, 120}},
    /* 53 */ {30, {30, 30, 30}},
    /* 54 */ {TWEAK_ABSENT, {10000, 10000, 10000}},
    /* 55 */ {TWEAK_ABSENT, {3000, 3000, 3000}},
    /* 56 */ {0, {0, 0, 0}},
    /* 57 */ {TWEAK_ABSENT, {1, 1, 1}},
    /* 58 */ {1, {1, 1, 1}},
    /* 59 */ {TWEAK_ABSENT, {1, 1, 1}},
    /* 60 */ {TWEAK_ABSENT, {0, 0, 0}},
    /* 61 */ {TWEAK_ABSENT, {0, 0, 0}},
    /* 62 */ {1, {0, 0, 0}},
    /* 63 */ {1, {0, 0, 0}},
    /* 64 */ {1, {0, 0, 0}},
    /* 65 */ {TWEAK_ABSENT, {0, 0, 0}},
    /* 66 */ {200000, {0, 0, 0}},
    /* 67 */ {500, {2000, 2000, 2000}},
    /* 68 */ {400, {0, 0, 0}},
    /* 69 */ {TWEAK_ABSENT, {0, 0, 0}},
    /* 70 */ {145, {221, 221, 221}},
    /* 71 */ {TWEAK_ABSENT, {0, 0, 0}},
    /* 72 */ {TWEAK_ABSENT, {134217728, 134217728, 134217728}},
    /* 73 */ {NtfsOldDefault, {NtfsOldOptimal, NtfsOldOptimal, NtfsOldOptimal}},
    /* 74 */ {TWEAK_ABSENT, {1, 1, 1}},
    /* 75 */ {8, {5, 5, 5}},
    /* 76 */ {2, {38, 38, 38}},
    /* 77 */ {0, {1, 1, 1}},
};

// The TCP window rule's bandwidth of each speed class, in bytes per second.
const unsigned ClassBandwidth[SpeedClassCount] = {2097152, 524288, 131072};
// The window used without probe results.
const int OfflineTcpWindow = 65536;
const int OfflineMtu = 1500;
// Header bytes (IP and TCP) of a segment; an MTU no larger leaves no room for data.
const DWORD SegmentHeaderBytes = 40;

int TcpWindowRule(int speedClass, DWORD mtu, DWORD latencyMs)
{
    const unsigned segment = mtu - SegmentHeaderBytes;
    const float seconds = static_cast<float>(static_cast<double>(latencyMs) * 0.7 / 1000.0);
    const unsigned bandwidth = ClassBandwidth[speedClass];
    const unsigned bytes = static_cast<unsigned>(static_cast<long long>(seconds * bandwidth));
    unsigned segments = bytes / segment;
    if (speedClass == 2) {
        if (segments < 5)
            segments = 5;
        if (segments > 12)
            segments = 12;
        return static_cast<int>(segments * segment);
    }
    if (segments < 8)
        segments = 8;
    return static_cast<int>(((segments >> 3) + 1) * segment * 8);
}

bool IsStringRow(int row)
{
    return lstrcmpA(TweakDefinitionTable[row].type, "str") == 0;
}

REGSAM RowAccess(int row)
{
    return lstrcmpA(TweakDefinitionTable[row].view, "64") == 0 ? (KEY_ALL_ACCESS | KEY_WOW64_64KEY)
                                                               : KEY_ALL_ACCESS;
}

bool IsWorkstationTSRow(int row)
{
    return row >= 0 && row < TweakRowCount &&
           lstrcmpA(TweakDefinitionTable[row].valueName, "WorkstationTS") == 0;
}

bool ValueExists(CRegistryKey& key, const char* name)
{
    return RegQueryValueExA(key.Handle(), name, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
}

// The workstation task scheduler key's record under the program's settings key.
int SaveWorkstationTSRecord(const CString& text)
{
    CRegistryKey settings;
    if (!settings.Create(HKEY_LOCAL_MACHINE, ProgramSettingsKey, ProgramSettingsAccess))
        return 0;
    return settings.SetString(SettingSavedWorkstationTS, text);
}

// 1 with the record's text when there is one.
int LoadWorkstationTSRecord(CString& text)
{
    CRegistryKey settings;
    if (!settings.Open(HKEY_LOCAL_MACHINE, ProgramSettingsKey, ProgramSettingsAccess))
        return 0;
    if (!ValueExists(settings, SettingSavedWorkstationTS))
        return 0;
    return settings.GetString(SettingSavedWorkstationTS, text);
}

void DeleteWorkstationTSRecord()
{
    CRegistryKey settings;
    if (settings.Open(HKEY_LOCAL_MACHINE, ProgramSettingsKey, ProgramSettingsAccess))
        settings.DeleteValue(SettingSavedWorkstationTS);
}

}  // namespace

COptimizerItem::COptimizerItem()
    : m_id(TweakNoRow),
      m_current(-1),
      m_windowsDefault(-1),
      m_optimal(-1),
      m_flags(0),
      m_build(0),
      m_versionCode(0)
{
    m_versionCode = GetWindowsVersion(&m_build);
}

void COptimizerItem::SetWindowsVersion(int versionCode, DWORD build)
{
    m_versionCode = versionCode;
    m_build = build;
}

bool COptimizerItem::LocateKey(HKEY& root, CString& subKey) const
{
    CString path = GetKeyPath();
    if (path.IsEmpty())
        return false;
    int slash = path.Find('\\');
    CString rootName = slash < 0 ? path : path.Left(slash);
    root = rootName == "HKEY_CURRENT_USER" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    subKey = slash < 0 ? CString() : path.Mid(slash + 1);
    return true;
}

bool COptimizerItem::IsNewNtfsDefaults() const
{
    return m_versionCode == Windows10 && m_build >= NtfsNewDefaultsBuild;
}

CString COptimizerItem::GetKeyPath() const
{
    if (m_id < 0 || m_id >= TweakRowCount)
        return CString();
    CString path = TweakDefinitionTable[m_id].keyPath;
    if (path.Find("{0}") >= 0) {
        CString adapter = GetAdapterKey(0);
        if (adapter.IsEmpty())
            return CString();
        path.Replace("{0}", adapter);
    }
    return path;
}

void COptimizerItem::SetWindowsDefault()
{
    m_flags |= TWEAK_DEFAULTS;
    if (m_id < 0 || m_id >= TweakRowCount)
        return;
    int value = TweakValueTable[m_id].windowsDefault;
    if (value == NoDefault)
        return;
    if (m_id == TweakRowNtfsLastAccess && IsNewNtfsDefaults())
        value = NtfsNewDefault;
    m_current = value;
    m_windowsDefault = value;
}

int COptimizerItem::ComputeOptimal(int speedClass, const DWORD* mtu, const DWORD* latencyMs,
                                   int offline)
{
    if (m_id < 0 || m_id >= TweakRowCount)
        return 1;
    if (speedClass < 0 || speedClass >= SpeedClassCount)
        speedClass = 0;
    // Without a probed MTU above the headers' size the rule has no segment to count in.
    const bool measured = !offline && mtu && latencyMs && *mtu > SegmentHeaderBytes;
    if (m_id == TweakRowMtu)
        m_optimal = measured ? static_cast<int>(*mtu) : OfflineMtu;
    else if (m_id == TweakRowGlobalMaxTcpWindowSize || m_id == TweakRowTcpWindowSize)
        m_optimal = measured ? TcpWindowRule(speedClass, *mtu, *latencyMs) : OfflineTcpWindow;
    else if (m_id == TweakRowNtfsLastAccess)
        m_optimal = IsNewNtfsDefaults() ? NtfsNewOptimal : NtfsOldOptimal;
    else
        m_optimal = TweakValueTable[m_id].optimal[speedClass];
    return 1;
}

int COptimizerItem::ReadCurrent()
{
    HKEY root;
    CString subKey;
    if (!LocateKey(root, subKey))
        return 0;
    CRegistryKey key;
    if (!key.Open(root, subKey, RowAccess(m_id))) {
        if (IsWorkstationTSRow(m_id)) {
            m_current = 0;
            return 1;
        }
        return 0;
    }
    if (IsWorkstationTSRow(m_id)) {
        m_current = 1;
        return 0;
    }
    m_current = TWEAK_ABSENT;
    const char* name = TweakDefinitionTable[m_id].valueName;
    if (IsStringRow(m_id)) {
        CString text;
        if (!key.GetString(name, text))
            return 0;
        m_current = static_cast<int>(atol(text));
    } else {
        DWORD value = 0;
        if (!key.GetDWORD(name, value))
            return 0;
        m_current = static_cast<int>(value);
    }
    m_flags |= TWEAK_READ;
    return 1;
}

int COptimizerItem::WriteValue(int value)
{
    HKEY root;
    CString subKey;
    if (!LocateKey(root, subKey))
        return 0;
    const char* name = TweakDefinitionTable[m_id].valueName;
    CRegistryKey key;
    if (!key.Create(root, subKey, RowAccess(m_id)))
        return 0;
    int written;
    if (IsStringRow(m_id)) {
        CString text;
        text.Format("%d", value);
        written = key.SetString(name, text);
    } else {
        written = key.SetDWORD(name, static_cast<DWORD>(value));
    }
    m_flags |= TWEAK_WRITTEN;
    return written;
}

int COptimizerItem::ApplyOptimal()
{
    HKEY root;
    CString subKey;
    if (!LocateKey(root, subKey))
        return 0;
    if (!IsWorkstationTSRow(m_id))
        return WriteValue(m_optimal);

    // The setting is the key's existence. The key is deleted only after what it holds has been
    // recorded, so that a restore can bring it back.
    CRegistryKey key;
    if (!key.Open(root, subKey, RowAccess(m_id)))
        return 1;
    if (m_optimal != 0)
        return 0;
    CString unnamed;
    key.GetString(NULL, unnamed);
    key.Close();
    if (!SaveWorkstationTSRecord(unnamed))
        return 0;
    if (!CRegistryKey::DeleteKey(root, subKey)) {
        DeleteWorkstationTSRecord();
        return 0;
    }
    return 1;
}

int COptimizerItem::RestoreDefault()
{
    HKEY root;
    CString subKey;
    if (!LocateKey(root, subKey))
        return 0;
    CRegistryKey key;
    const bool opened = key.Open(root, subKey, RowAccess(m_id)) != 0;

    if (IsWorkstationTSRow(m_id)) {
        // A key deleted by Apply is recreated from its record; anything else stays as it is.
        CString unnamed;
        if (opened || !LoadWorkstationTSRecord(unnamed))
            return 1;
        if (!key.Create(root, subKey, RowAccess(m_id)))
            return 0;
        if (!unnamed.IsEmpty() && !key.SetString(NULL, unnamed))
            return 0;
        m_flags |= TWEAK_WRITTEN;
        DeleteWorkstationTSRecord();
        return 1;
    }

    // Without a known default nothing is written.
    if (m_windowsDefault == -1)
        return 0;
    if (m_windowsDefault != TWEAK_ABSENT) {
        key.Close();
        return WriteValue(m_windowsDefault);
    }
    // An absent default: the value goes, and a missing value or key is already the default.
    if (!opened)
        return 1;
    const char* name = TweakDefinitionTable[m_id].valueName;
    if (!ValueExists(key, name))
        return 1;
    return key.DeleteValue(name);
}
