// The program's command-line switches.
#include "Frame/CommandLineInfoEx.h"

#include "Framework/CString.h"

void CCommandLineInfoEx::ParseParam(const char* param, BOOL isFlag, BOOL isLast)
{
    // The framework has already taken off a leading "/" or "-", so a flag counts the same as
    // the bare word.
    (void)isFlag;
    (void)isLast;
    CString word(param);
    word.Trim();
    if (word.CompareNoCase("STARTSCAN") == 0)
        m_startScan = 1;
    else if (word.CompareNoCase("DEFRAG") == 0)
        m_defrag = 1;
}
