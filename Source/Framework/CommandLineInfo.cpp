// Splitting the program's arguments into flags and parameters.
#include "Framework/CommandLineInfo.h"

#include <stdlib.h>

void ParseCommandLine(CCommandLineInfo& info, int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* param = argv[i] ? argv[i] : "";
        BOOL isFlag = FALSE;
        if (param[0] == '/' || param[0] == '-') {
            isFlag = TRUE;
            ++param;
        }
        info.ParseParam(param, isFlag, i == argc - 1);
    }
}

void ParseCommandLine(CCommandLineInfo& info)
{
    ParseCommandLine(info, __argc, __argv);
}
