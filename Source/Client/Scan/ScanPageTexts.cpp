// The System Scan page's pure texts and masks (see ScanPageTexts.h).
#include "Client/Scan/ScanPageTexts.h"

#include "Client/Scan/ScanCategories.h"

namespace {

// The junk bits the clean takes only when the scan reported on them; the three form-data bits
// (0x400, 0x8000, 0x100000) have no section of their own and pass.
const DWORD RestrictedJunkBits = 0x3FFFFFF & ~DWORD(0x400 | 0x8000 | 0x100000);
const DWORD RestrictedInternetBits = 0x1F;
const DWORD RestrictedSystemBits = 0xF;

// From this much junk on, the headline says " various ".
const LONGLONG VariousJunkSize = 0x9600000;

}  // namespace

CString FormatSize(LONGLONG bytes)
{
    struct Unit {
        int shift;
        const char* format;
    };
    static const Unit units[] = {
        {60, "%.2f EB"}, {50, "%.2f PB"}, {40, "%.2f TB"}, {30, "%.2f GB"}, {20, "%.2f MB"},
    };
    CString text;
    if (bytes <= 0) {
        text = "0 bytes";
        return text;
    }
    for (const Unit& unit : units) {
        const LONGLONG size = LONGLONG(1) << unit.shift;
        if (bytes >= size) {
            text.Format(unit.format, double(bytes) / double(size));
            return text;
        }
    }
    if (bytes >= 1025)
        text.Format("%.2f KB", double(bytes) / 1024.0);
    else
        text.Format("%I64d bytes", bytes);
    return text;
}

DWORD RestrictToScannedMask(int kind, DWORD selection, DWORD scanned)
{
    DWORD restricted = 0;
    switch (kind) {
    case ScanKindJunk: restricted = RestrictedJunkBits; break;
    case ScanKindInternet: restricted = RestrictedInternetBits; break;
    case ScanKindSystem: restricted = RestrictedSystemBits; break;
    default: return selection;
    }
    return (selection & ~restricted) | (selection & scanned & restricted);
}

CString ScanOutcomeHeadline(const ScanFindings& found, bool allGood)
{
    CString text;
    if (!found.Any()) {
        text = allGood ? "All Good!" : "Scan completed and PC health is good";
        return text;
    }
    const bool various = found.registryCount >= 10 || found.junkSize >= VariousJunkSize ||
                         found.internetCount >= 4 || found.systemCount >= 4;
    const bool registry = found.registryCount != 0, junk = found.junkSize != 0;
    const bool internet = found.internetCount != 0, system = found.systemCount != 0;
    const int kinds = int(registry) + int(junk) + int(internet) + int(system);
    const char* word = "system";
    if (kinds == 1)
        word = registry ? "registry" : junk ? "junk" : internet ? "internet speed" : "system speed";
    const bool isJunk = kinds == 1 && junk;
    text = "Scan found";
    text += various ? " various " : " some ";
    text += word;
    text += isJunk ? " data" : " settings";
    text += ". Fix it";
    text += " ";
    text += "with One-Click";
    return text;
}
