#include "remote/CertificateTrust.h"

#include "plugin/SettingsStore.h"
#include "plugin/TextConversion.h"
#include "remote/Problem.h"

#include <Poco/DigestEngine.h>
#include <Poco/Net/SSLException.h>
#include <Poco/String.h>

namespace {

std::wstring nameOf(const ServerAddress& server)
{
    return TextConversion::readable(server.host) + L":" + std::to_wstring(server.port);
}

}

CertificateTrust::CertificateTrust(const ServerAddress& server, Question ask)
    : serverName(nameOf(server)), pinSetting(pinKey(server)),
      tlsDoneSetting(SettingKeys::tlsDonePrefix + nameOf(server)), ask(std::move(ask))
{
}

// A pin alone counts too: it was kept before this version remembered TLS.
bool CertificateTrust::expectsTls() const
{
    return SettingsStore::readInt(tlsDoneSetting.c_str()).value == 1 ||
           !SettingsStore::readString(pinSetting.c_str()).empty();
}

void CertificateTrust::rememberTls() const
{
    if (SettingsStore::readInt(tlsDoneSetting.c_str()).value != 1)
        SettingsStore::writeInt(tlsDoneSetting.c_str(), 1);
}

std::wstring CertificateTrust::pinKey(const ServerAddress& server)
{
    return SettingKeys::certificatePinPrefix + nameOf(server);
}

void CertificateTrust::approve(const Poco::Net::X509Certificate& certificate,
                               const std::function<long()>& verificationError) const
{
    const std::wstring presented = TextConversion::readable(fingerprint(certificate));
    const std::wstring pinned = SettingsStore::readString(pinSetting.c_str());
    if (pinned == presented)
        return;
    long error = verificationError();
    if (error == X509_V_OK)
        return;
    if (!ask(CertificateQuestion{serverName, certificate, error, !pinned.empty()}))
        throw Poco::Net::CertificateValidationException("", Problem::certificateRefused);
    SettingsStore::writeString(pinSetting.c_str(), presented);
}

std::string CertificateTrust::fingerprint(const Poco::Net::X509Certificate& certificate)
{
    std::string hex = Poco::toUpper(Poco::DigestEngine::digestToHex(certificate.fingerprint("SHA256")));
    std::string text;
    for (size_t i = 0; i < hex.size(); i += 2)
        text += (i ? ":" : "") + hex.substr(i, 2);
    return text;
}
