// What the tweaks and the network probes know of the way to the internet: the interface that
// routes there (its key holds the per-interface tweaks), its default gateway, and the public
// host the probes measure against.
#ifndef VELMORA_SCAN_NETWORK_ROUTE_H
#define VELMORA_SCAN_NETWORK_ROUTE_H

#include <windows.h>

#include "Framework/CString.h"

// The public web host the latency probe pings, and its IPv4 address: the destination whose
// route names the interface, and the MTU probe's target when no gateway is known.
extern const char TweakProbeHostName[];
extern const char TweakProbeHostAddress[];

// The key name ("{...}") of the network interface that routes to the internet, or empty. The
// first non-empty answer is kept for the run (refresh 0); an empty one is looked up again.
CString GetAdapterKey(int refresh);
// The index of that interface; (DWORD)-1 until it was found.
DWORD GetAdapterIndex();
// Tests only: pins the answer of GetAdapterKey and GetAdapterIndex, so a case gets a known
// interface key or, with "", none at all; a null key lifts the pin and forgets the answer.
void SetAdapterKeyForTesting(const char* key, DWORD index);

// The first gateway of the interface GetAdapterKey found; the public host's resolved address
// when that gateway is "0.0.0.0"; TweakProbeHostAddress when there is still none.
CString GetDefaultGateway();
// TweakProbeHostName's first IPv4 address as dotted text; empty on failure.
CString ResolveHostAddress();

#endif
