// CCommandLineInfoEx: the program's two switches, "STARTSCAN" and "DEFRAG".
#ifndef VELMORA_FRAME_COMMAND_LINE_INFO_EX_H
#define VELMORA_FRAME_COMMAND_LINE_INFO_EX_H

#include "Framework/CommandLineInfo.h"

class CCommandLineInfoEx : public CCommandLineInfo {
public:
    CCommandLineInfoEx() : m_startScan(0), m_defrag(0) {}

    // A word equal to "STARTSCAN" or "DEFRAG" without regard to case or surrounding blanks, with
    // or without a leading "/" or "-", sets its flag; everything else is ignored.
    void ParseParam(const char* param, BOOL isFlag, BOOL isLast) override;

    int m_startScan;   // start hidden in the notification area and run a scan
    int m_defrag;      // finish a registry defragmentation started before logon; the
                       // defragmenter page clears it when done
};

#endif
