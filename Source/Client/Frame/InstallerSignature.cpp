// The installer's signature check: the system's verdict, then the chain and the signer's name.
#include "Frame/InstallerSignature.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <string>

#include "Framework/TextCodePage.h"

namespace {

// Revocation cannot be asked offline and installers are checked without it; every other bit of
// the chain's status is a fault.
const DWORD IgnoredChainErrors = CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;

// The WinVerifyTrust state of one file, closed however the check ends.
class CTrustState {
public:
    CTrustState(HANDLE file, const wchar_t* path)
    {
        m_file.cbStruct = sizeof m_file;
        m_file.pcwszFilePath = path;
        m_file.hFile = file;
        m_data.cbStruct = sizeof m_data;
        m_data.dwUIChoice = WTD_UI_NONE;
        m_data.fdwRevocationChecks = WTD_REVOKE_NONE;
        m_data.dwUnionChoice = WTD_CHOICE_FILE;
        m_data.pFile = &m_file;
        m_data.dwStateAction = WTD_STATEACTION_VERIFY;
    }
    ~CTrustState()
    {
        m_data.dwStateAction = WTD_STATEACTION_CLOSE;
        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
        ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &m_data);
    }
    CTrustState(const CTrustState&) = delete;
    CTrustState& operator=(const CTrustState&) = delete;

    LONG Verify()
    {
        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
        return ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &m_data);
    }
    // The first signer of the verified file, or NULL.
    CRYPT_PROVIDER_SGNR* Signer()
    {
        CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(m_data.hWVTStateData);
        return provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : NULL;
    }

private:
    WINTRUST_FILE_INFO m_file = {};
    WINTRUST_DATA m_data = {};
};

CString CommonName(PCCERT_CONTEXT certificate)
{
    char name[512] = {};
    ::CertGetNameStringA(certificate, CERT_NAME_ATTR_TYPE, 0, const_cast<char*>(szOID_COMMON_NAME),
                         name, sizeof name);
    return name;
}

}  // namespace

bool OpenInstallerForStart(const CString& path, CHandle& file)
{
    file.Attach(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL));
    return file.IsValid();
}

InstallerTrust CheckInstallerSignature(HANDLE file, const CString& path, const char* publisher)
{
    std::wstring widePath;
    if (!TextToWide(path, -1, CP_ACP, TextStrictness::Exact, widePath))
        return InstallerSignatureRejected;
    CTrustState state(file, widePath.c_str());
    if (state.Verify() != ERROR_SUCCESS)
        return InstallerSignatureRejected;
    CRYPT_PROVIDER_SGNR* signer = state.Signer();
    if (!signer || !signer->pChainContext || signer->csCertChain < 1 || !signer->pasCertChain ||
        !signer->pasCertChain[0].pCert)
        return InstallerSignatureRejected;
    // The system's verdict alone accepts chains that end in an untrusted or missing root on
    // some platforms: the chain it built says what it found.
    if ((signer->pChainContext->TrustStatus.dwErrorStatus & ~IgnoredChainErrors) != 0)
        return InstallerChainFault;
    if (CommonName(signer->pasCertChain[0].pCert) != publisher)
        return InstallerOtherPublisher;
    return InstallerTrusted;
}
