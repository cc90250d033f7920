// The check a downloaded installer has to pass before it is started: a valid Authenticode
// signature whose signer chains to a trusted root without any fault, issued to the configured
// publisher. The file is checked through a handle the caller holds, opened so that nobody can
// write, rename or delete it until that handle is closed (OpenInstallerForStart): what was
// checked is what gets started.
#ifndef VELMORA_FRAME_INSTALLER_SIGNATURE_H
#define VELMORA_FRAME_INSTALLER_SIGNATURE_H

#include <windows.h>

#include "Framework/CString.h"
#include "Framework/Handle.h"

enum InstallerTrust {
    InstallerTrusted,
    InstallerSignatureRejected,   // no signature, a wrong digest, or the system refused it
    InstallerChainFault,          // the signer's chain has an error (untrusted root, expired...)
    InstallerOtherPublisher,      // a sound signature of someone else
};

// Opens path for reading with read sharing only (no writer, no rename, no delete while held).
bool OpenInstallerForStart(const CString& path, CHandle& file);
// Checks the file behind handle (opened from path) against the publisher's name, which must be
// the signer certificate's common name exactly.
InstallerTrust CheckInstallerSignature(HANDLE file, const CString& path, const char* publisher);

#endif
