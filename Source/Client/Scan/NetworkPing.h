// One ping, and the function through which the network probes send theirs. The probes call
// SendPing; by default it pings through WMI where the system has Win32_PingStatus and through
// the ICMP echo functions elsewhere. Tests put a scripted ping in its place.
#ifndef VELMORA_SCAN_NETWORK_PING_H
#define VELMORA_SCAN_NETWORK_PING_H

#include <windows.h>

#include "Framework/CString.h"

// A ping of address (a host name or dotted IPv4 text). bufferSize -1 sends the transport's
// default payload; any other size sends that payload with the don't-fragment flag. Returns 1 when
// the transport answered, with the ping's outcome in statusCode (0 success, 11009 packet too big,
// ...) and, on success, the round trip in responseTime; 0 with a text in errorText when the
// transport failed. statusCode stays as the caller set it when no answer came at all.
typedef int (*PingFunction)(const char* address, CString& errorText, int bufferSize,
                            int* statusCode, int* responseTime);

// Through WMI's Win32_PingStatus (COM must be initialised on the calling thread).
int WmiPing(const char* address, CString& errorText, int bufferSize, int* statusCode,
            int* responseTime);
// Through IcmpSendEcho, resolved at run time from iphlpapi.dll, else icmp.dll: -1 sends 32
// bytes; each echo waits at most 1000 ms.
int IcmpPing(const char* address, CString& errorText, int bufferSize, int* statusCode,
             int* responseTime);

enum PingTransport {
    PingTransportNone = 0,   // neither WMI's ping class nor the ICMP functions
    PingTransportWmi = 1,
    PingTransportIcmp = 2,
};
// The transport the system ping uses, decided once per run (COM must be initialised on the
// calling thread for the WMI test).
PingTransport ChoosePingTransport();
// WmiPing or IcmpPing, as ChoosePingTransport decides.
int SystemPing(const char* address, CString& errorText, int bufferSize, int* statusCode,
               int* responseTime);

// The ping the probes send: SystemPing unless replaced.
int SendPing(const char* address, CString& errorText, int bufferSize, int* statusCode,
             int* responseTime);
// Replaces the probes' ping (null restores SystemPing); returns the one replaced.
PingFunction SetPingFunction(PingFunction ping);

#endif
