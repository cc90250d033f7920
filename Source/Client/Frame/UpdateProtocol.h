// The update service's protocol: the check request the program sends (address and user agent)
// and the answer it reads back. Plain text work, no network.
#ifndef VELMORA_FRAME_UPDATE_PROTOCOL_H
#define VELMORA_FRAME_UPDATE_PROTOCOL_H

#include <windows.h>

#include "Framework/CString.h"

// The program's tracking id, sent with every check.
#define UpdateTrackingId "ORG"
// The user agent of the installer's download.
#define DownloadUserAgent "Velmora"

// The program version without its dots: "1018601".
CString UpdateVersionDigits();
// The version as the messages show it: cut after the first character that follows the last
// ".", so "1.0.1.8601" reads "1.0.1.8".
CString ShortVersionText();
// "http://<host>/<folder as ten digits>/kavrenup.php?version=<digits>&bf=ORG"; host may carry a
// ":port".
CString UpdateRequestAddress(const char* host, unsigned long folder);
// "Velmora v <digits>ORG-<installId>".
CString UpdateUserAgent(const CString& installId);

enum UpdateAnswer {
    UpdateAnswerLatest,    // "n...": no newer version
    UpdateAnswerOffer,     // "y<address>": the installer's address follows
    UpdateAnswerInvalid,   // anything else (the first character is compared case-sensitively)
};
// Reads a whole answer. For an offer, address is the rest without "<br>" and "<BR>", trimmed,
// and cut before the first ";" when that ";" is at position 75 or earlier of the trimmed text;
// otherwise address is left as it was.
UpdateAnswer ParseUpdateAnswer(const CString& answer, CString& address);

#endif
