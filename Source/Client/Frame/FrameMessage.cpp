// Start-up messages. They use the system's message box until the skinned one is available.
#include "Frame/FrameMessage.h"

#include <windows.h>

#include "Frame/ProgramIdentity.h"

int ShowFrameMessage(const CString& text, int type)
{
    UINT style = type == FrameMessageYesNo ? MB_YESNO | MB_ICONQUESTION : MB_OK;
    return MessageBoxA(NULL, text, ProgramDisplayName, style | MB_SETFOREGROUND);
}
