#include "remote/CertificateTrust.h"

#include "plugin/SettingsStore.h"
#include "plugin/TextConversion.h"

#include <Poco/DateTimeFormatter.h>
#include <Poco/DigestEngine.h>
#include <Poco/Net/SSLException.h>
#include <Poco/String.h>

#include <openssl/x509_vfy.h>

#include <windows.h>

namespace {

std::wstring reason(long verificationError)
{
    switch (verificationError) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return L"certyfikat jest podpisany przez samego siebie";
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        return L"wystawca certyfikatu jest nieznany";
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return L"certyfikat wystawiono dla innej nazwy";
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return L"certyfikat wygasł";
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return L"certyfikat nie jest jeszcze ważny";
    case X509_V_ERR_EE_KEY_TOO_SMALL:
    case X509_V_ERR_CA_KEY_TOO_SMALL:
        return L"klucz w łańcuchu certyfikatu jest za krótki (RSA poniżej 2048 bitów)";
    case X509_V_ERR_CA_MD_TOO_WEAK:
        return L"certyfikat podpisano przestarzałym algorytmem (SHA-1 lub słabszym)";
    case X509_V_ERR_CERT_REJECTED:
        return L"Windows uznaje ten certyfikat lub jego wystawcę za niegodny zaufania";
    default:
        return TextConversion::readable(X509_verify_cert_error_string(verificationError));
    }
}

std::wstring nameOf(const ServerAddress& server)
{
    return TextConversion::readable(server.host) + L":" + std::to_wstring(server.port);
}

std::wstring day(const Poco::DateTime& time)
{
    return TextConversion::readable(Poco::DateTimeFormatter::format(time, "%Y-%m-%d %H:%M UTC"));
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
    if (!ask(question(certificate, error, !pinned.empty())))
        throw Poco::Net::CertificateValidationException(
            TextConversion::toAnsi(L"Certyfikat serwera odrzucony, nic nie wysłano"));
    SettingsStore::writeString(pinSetting.c_str(), presented);
}

std::wstring CertificateTrust::question(const Poco::Net::X509Certificate& certificate, long verificationError,
                                        bool changed) const
{
    std::wstring text = L"Serwer " + serverName + L" przedstawił certyfikat, któremu system nie ufa: " +
                        reason(verificationError) + L".";
    if (changed)
        text += L"\n\nUWAGA: certyfikat tego serwera zmienił się od czasu, gdy go zaakceptowano.";
    text += L"\n\nPodmiot: " + TextConversion::readable(certificate.subjectName()) +
            L"\nWystawca: " + TextConversion::readable(certificate.issuerName()) +
            L"\nWażny od " + day(certificate.validFrom()) + L" do " + day(certificate.expiresOn()) +
            L"\nOdcisk SHA-256: " + TextConversion::readable(fingerprint(certificate)) +
            L"\n\nCzy ufać temu certyfikatowi dla tego serwera od teraz?"
            L"\nNie: połączenie zostanie przerwane, nic nie zostanie wysłane.";
    return text;
}

bool CertificateTrust::askInBox(const std::wstring& question)
{
    return MessageBoxW(nullptr, question.c_str(), L"Vornix - Certyfikat serwera",
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

std::string CertificateTrust::fingerprint(const Poco::Net::X509Certificate& certificate)
{
    std::string hex = Poco::toUpper(Poco::DigestEngine::digestToHex(certificate.fingerprint("SHA256")));
    std::string text;
    for (size_t i = 0; i < hex.size(); i += 2)
        text += (i ? ":" : "") + hex.substr(i, 2);
    return text;
}
