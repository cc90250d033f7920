// CCommandLineInfo: receives the program's command-line arguments one at a time.
// ParseCommandLine hands each argument after the program name to ParseParam; a leading "/" or
// "-" is taken off and reported as isFlag.
#ifndef VELMORA_FRAMEWORK_COMMAND_LINE_INFO_H
#define VELMORA_FRAMEWORK_COMMAND_LINE_INFO_H

#include <windows.h>

class CCommandLineInfo {
public:
    CCommandLineInfo() {}
    virtual ~CCommandLineInfo() {}
    // The base keeps nothing; programs override it for the switches they know.
    virtual void ParseParam(const char* param, BOOL isFlag, BOOL isLast)
    {
        (void)param;
        (void)isFlag;
        (void)isLast;
    }
};

// Feeds argv[1..argc-1] to info.ParseParam.
void ParseCommandLine(CCommandLineInfo& info, int argc, char** argv);
// The running program's own arguments (the C runtime's __argc/__argv).
void ParseCommandLine(CCommandLineInfo& info);

#endif
