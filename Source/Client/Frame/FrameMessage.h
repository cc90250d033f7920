// The message box of the program's start-up (engine missing, untested Windows version).
#ifndef VELMORA_FRAME_FRAME_MESSAGE_H
#define VELMORA_FRAME_FRAME_MESSAGE_H

#include "Framework/CString.h"

enum FrameMessageType {
    FrameMessageOk = 0,      // "OK"; IDOK
    FrameMessageYesNo = 4,   // "YES", "NO"; IDYES or IDNO
};

// Shows text with no owner and no overlay; the button pressed (IDOK, IDYES, IDNO).
int ShowFrameMessage(const CString& text, int type);

#endif
