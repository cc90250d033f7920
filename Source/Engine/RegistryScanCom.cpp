// ActiveX/COM ("AXO") of the registry scan: interfaces whose type library is not registered,
// classes whose in-process server file is gone, and keys whose "CLSID" sub-key names a class
// that is not registered.
//
// The two "not registered" verdicts compare against a set of every registered name, so they
// are only given when that set is known to be complete: each enumeration it comes from (in
// every registry view that can register a name) opened and ran to its end.
#include "Engine/RegistryScanCategories.h"

#include <set>

#include "Framework/RegistryKeyHandle.h"
#include "Engine/RegistryPathToolkit.h"
#include "Engine/SSEngineProcess.h"

namespace {

// Sub-key names of the class and type-library keys are GUIDs; longer names are not
// registrations and are skipped.
const DWORD RegistrationNameLength = 256;

const char* const ClassesRootName = "HKEY_CLASSES_ROOT";

// Adds the lower-cased names holding "{" of every sub-key of HKEY_CLASSES_ROOT\keyName (in the
// view `view` selects) to `names`. True only when the key opened and its enumeration ran to
// its end; a stop makes it false.
bool CollectRegistrations(CSSEngineProcess& process, const char* keyName, REGSAM view,
                          std::set<CString>& names, bool sendProgress)
{
    CRegistryKeyHandle key;
    if (key.Open(HKEY_CLASSES_ROOT, keyName, KEY_READ | view) != ERROR_SUCCESS)
        return false;
    if (sendProgress && process.Status())
        process.Status()->OnProgress(1);
    char name[RegistrationNameLength + 1];
    for (DWORD index = 0;; ++index) {
        if (!process.KeepRunning())
            return false;
        DWORD length = RegistrationNameLength;
        LONG result = RegEnumKeyExA(key.Get(), index, name, &length, nullptr, nullptr, nullptr,
                                    nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            return true;
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            return false;
        name[length < RegistrationNameLength ? length : RegistrationNameLength] = 0;
        if (strchr(name, '{')) {
            CString lower(name);
            lower.MakeLower();
            names.insert(lower);
        }
    }
}

// The unnamed value of parent\subKey as text; false when the key or the value is missing,
// empty or not a string.
bool ReadDefaultString(HKEY parent, const CString& subKey, CString& value, bool allowExpand)
{
    CRegistryKeyHandle key;
    if (key.Open(parent, subKey, KEY_READ) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    if (key.QueryString("", value, &type) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && !(allowExpand && type == REG_EXPAND_SZ))
        return false;
    return !value.IsEmpty();
}

}  // namespace

int CheckInterfaceTypeLibs(CSSEngineProcess& process)
{
    std::set<CString> typeLibs;
    bool complete = CollectRegistrations(process, "TypeLib", 0, typeLibs, true);
    if (complete && process.RunningUnderWow64())
        complete = CollectRegistrations(process, "TypeLib", KEY_WOW64_64KEY, typeLibs, false);
    if (!complete)
        return 0;

    CRegistryKeyHandle interfaces;
    if (interfaces.Open(HKEY_CLASSES_ROOT, "Interface", KEY_READ) != ERROR_SUCCESS)
        return 0;
    int reported = 0;
    char iid[RegistrationNameLength + 1];
    for (DWORD index = 0; process.KeepRunning(); ++index) {
        DWORD length = RegistrationNameLength;
        LONG result = RegEnumKeyExA(interfaces.Get(), index, iid, &length, nullptr, nullptr,
                                    nullptr, nullptr);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            break;
        iid[length < RegistrationNameLength ? length : RegistrationNameLength] = 0;
        if (!strchr(iid, '{'))
            continue;
        CString typeLibKey = CString(iid) + "\\TypeLib";
        CString typeLib;
        if (!ReadDefaultString(interfaces.Get(), typeLibKey, typeLib, false))
            continue;
        if (process.Status())
            process.Status()->OnProgress(1);
        typeLib.MakeLower();
        if (typeLib.Find('{') < 0)
            continue;
        ThrottledStatusText(process, 100, "Interface\\" + typeLibKey, "AXO");
        if (typeLibs.count(typeLib))
            continue;
        CString owner = CString("Interface\\") + iid;
        if (!IsKeyWritable(ClassesRootName, owner))
            continue;
        ReportItem(process, CString(ClassesRootName) + "\\" + owner, RegScanActiveX);
        ++reported;
    }
    return reported;
}

namespace {

// The class check: reports classes whose in-process server file is missing and fills the
// process's set of registered classes. True when that set is complete.
bool CheckClassServersAndCollect(CSSEngineProcess& process, int& reported)
{
    std::set<CString>& classes = process.m_clsidSet;
    classes.clear();
    bool complete = true;
    if (process.RunningUnderWow64())
        complete = CollectRegistrations(process, "CLSID", KEY_WOW64_64KEY, classes, false);

    CRegistryKeyHandle clsidKey;
    if (clsidKey.Open(HKEY_CLASSES_ROOT, "CLSID", KEY_READ) != ERROR_SUCCESS)
        return false;
    if (process.Status())
        process.Status()->OnProgress(1);
    char cls[RegistrationNameLength + 1];
    for (DWORD index = 0;; ++index) {
        if (!process.KeepRunning())
            return false;
        DWORD length = RegistrationNameLength;
        LONG result = RegEnumKeyExA(clsidKey.Get(), index, cls, &length, nullptr, nullptr,
                                    nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS) {
            complete = false;
            break;
        }
        cls[length < RegistrationNameLength ? length : RegistrationNameLength] = 0;
        if (strchr(cls, '{')) {
            CString lower(cls);
            lower.MakeLower();
            classes.insert(lower);
        }
        CString serverKey = CString(cls) + "\\InprocServer32";
        CString server;
        if (!ReadDefaultString(clsidKey.Get(), serverKey, server, true))
            continue;
        if (process.Status())
            process.Status()->OnProgress(1);
        server.MakeLower();
        if (server.Find(".dll") >= 0 || server.Find(".ocx") >= 0) {
            CString located(server);
            if (!LocateFile(process, located) && !PathExistsSwapped(process, located) &&
                process.KeepRunning()) {
                CString owner = CString("CLSID\\") + cls;
                if (IsKeyWritable(ClassesRootName, owner)) {
                    ReportItem(process, CString(ClassesRootName) + "\\" + owner, RegScanActiveX);
                    ++reported;
                }
            }
        }
        ThrottledStatusText(process, 100, "CLSID\\" + serverKey, "AXO");
    }
    return complete;
}

}  // namespace

int ScanActiveX(CSSEngineProcess& process)
{
    int reported = CheckInterfaceTypeLibs(process);
    bool classesComplete = CheckClassServersAndCollect(process, reported);
    // Without every registered class in the set, a reference to a class we did not see could
    // not be told from one to a class that is not registered.
    if (!classesComplete || !process.KeepRunning())
        return reported;
    process.StatusTextCounter = StatusTextCounterStart;
    reported += WalkRegistryTree(process, ClassesRootName, "", WalkActiveX);
    return reported;
}
