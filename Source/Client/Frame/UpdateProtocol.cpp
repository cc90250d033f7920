// The update check's request and answer.
#include "Frame/UpdateProtocol.h"

#include "Frame/ProgramIdentity.h"

namespace {

// A ";" this early in the address ends it: what follows is the server's remark.
const int LastCutPosition = 75;

}  // namespace

CString UpdateVersionDigits()
{
    CString digits = ProgramVersionText;
    digits.Remove('.');
    return digits;
}

CString ShortVersionText()
{
    CString version = ProgramVersionText;
    return version.Left(version.ReverseFind('.') + 2);
}

CString UpdateRequestAddress(const char* host, unsigned long folder)
{
    CString address;
    address.Format("http://%s/%010lu/kavrenup.php?version=%s&bf=%s", host, folder,
                   UpdateVersionDigits().GetString(), UpdateTrackingId);
    return address;
}

CString UpdateUserAgent(const CString& installId)
{
    CString agent;
    agent.Format("%s v %s%s-%s", ProgramDisplayName, UpdateVersionDigits().GetString(),
                 UpdateTrackingId, installId.GetString());
    return agent;
}

UpdateAnswer ParseUpdateAnswer(const CString& answer, CString& address)
{
    char first = answer.GetAt(0);
    if (first == 'n')
        return UpdateAnswerLatest;
    if (first != 'y')
        return UpdateAnswerInvalid;
    CString offered = answer.Mid(1);
    offered.Replace("<br>", "");
    offered.Replace("<BR>", "");
    offered.Trim();
    int semicolon = offered.Find(';');
    if (semicolon >= 0 && semicolon <= LastCutPosition)
        offered = offered.Left(semicolon);
    address = offered;
    return UpdateAnswerOffer;
}
