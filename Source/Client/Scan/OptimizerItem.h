// COptimizerItem: one tweak of the table: its value as read from the registry, its Windows
// default and its optimal value, and the operations that read the value, write the optimal value
// and restore the default.
#ifndef VELMORA_SCAN_OPTIMIZER_ITEM_H
#define VELMORA_SCAN_OPTIMIZER_ITEM_H

#include <windows.h>

#include "Framework/CString.h"

// The value does not exist (its key does).
const int TWEAK_ABSENT = -900;

// Item flags.
const WORD TWEAK_READ = 1;       // the value was read
const WORD TWEAK_DEFAULTS = 2;   // SetWindowsDefault ran
const WORD TWEAK_WRITTEN = 4;    // a value was written
const WORD TWEAK_SELECTED = 8;   // chosen for apply

// Where the key of the workstation task scheduler row is recorded before Apply deletes it
// (REG_SZ under ProgramSettingsKey: the key's unnamed value), so that a restore can recreate it.
#define SettingSavedWorkstationTS "SavedWorkstationTS"

class COptimizerItem {
public:
    COptimizerItem();
    virtual ~COptimizerItem() = default;
    COptimizerItem(const COptimizerItem&) = default;
    COptimizerItem& operator=(const COptimizerItem&) = default;

    int GetId() const { return m_id; }
    void SetId(int id) { m_id = id; }
    int GetCurrent() const { return m_current; }
    int GetOptimal() const { return m_optimal; }
    int GetWindowsDefault() const { return m_windowsDefault; }
    WORD GetFlags() const { return m_flags; }
    void SetFlags(WORD flags) { m_flags = flags; }
    // The Windows version code and build the row 73 rule depends on (the constructor takes the
    // running system's).
    void SetWindowsVersion(int versionCode, DWORD build);

    // The row's key path with "{0}" replaced by the interface key; empty when the row needs an
    // interface key and none is known (or the item has no row).
    CString GetKeyPath() const;

    // Sets TWEAK_DEFAULTS, then current and windowsDefault to the row's Windows default (the
    // workstation task scheduler row has none and keeps its values).
    void SetWindowsDefault();
    // Sets optimal for the speed class (0, 1 or 2). mtu and latencyMs are read only by the TCP
    // window and MTU rows, and only when offline is 0; an MTU of 40 or less is taken as offline.
    // Always 1.
    int ComputeOptimal(int speedClass, const DWORD* mtu, const DWORD* latencyMs, int offline);

    // 1 when a value was read (or the workstation task scheduler key was found missing).
    int ReadCurrent();
    // Writes optimal; 1 on success.
    int ApplyOptimal();
    // Writes windowsDefault back (deletes the value when the default is absent); 1 on success,
    // which includes an absent default whose value or key is already missing.
    int RestoreDefault();

private:
    int m_id;
    CString m_text;            // no operation fills it
    int m_current;             // -1 before any read
    int m_windowsDefault;      // -1 until SetWindowsDefault
    int m_optimal;             // -1 until ComputeOptimal
    WORD m_flags;
    DWORD m_build;
    int m_versionCode;

    bool IsNewNtfsDefaults() const;
    // The root and sub-key of the row's key path; false when the path cannot be named.
    bool LocateKey(HKEY& root, CString& subKey) const;
    int WriteValue(int value);
};

#endif
