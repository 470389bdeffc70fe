#include "ui/TrustQuestions.h"

#include "plugin/TextConversion.h"

#include <Poco/DateTimeFormatter.h>

#include <openssl/x509_vfy.h>

#include <windows.h>

namespace TrustQuestions {

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

std::wstring day(const Poco::DateTime& time)
{
    return TextConversion::readable(Poco::DateTimeFormatter::format(time, "%Y-%m-%d %H:%M UTC"));
}

// The default button is No: a stray Enter must not trust a key.
bool ask(const std::wstring& text, const wchar_t* caption)
{
    return MessageBoxW(nullptr, text.c_str(), caption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

}

std::wstring certificateText(const CertificateQuestion& question)
{
    const Poco::Net::X509Certificate& certificate = question.certificate;
    std::wstring text = L"Serwer " + question.server + L" przedstawił certyfikat, któremu system nie ufa: " +
                        reason(question.verificationError) + L".";
    if (question.changed)
        text += L"\n\nUWAGA: certyfikat tego serwera zmienił się od czasu, gdy go zaakceptowano.";
    text += L"\n\nPodmiot: " + TextConversion::readable(certificate.subjectName()) +
            L"\nWystawca: " + TextConversion::readable(certificate.issuerName()) +
            L"\nWażny od " + day(certificate.validFrom()) + L" do " + day(certificate.expiresOn()) +
            L"\nOdcisk SHA-256: " + TextConversion::readable(CertificateTrust::fingerprint(certificate)) +
            L"\n\nCzy ufać temu certyfikatowi dla tego serwera od teraz?"
            L"\nNie: połączenie zostanie przerwane, nic nie zostanie wysłane.";
    return text;
}

std::wstring hostKeyText(const HostKeyQuestion& question)
{
    std::wstring text;
    if (question.changed)
        text = L"UWAGA: klucz hosta serwera " + question.server +
               L" zmienił się od czasu, gdy go zaakceptowano. Ktoś może podszywać się pod serwer, "
               L"chyba że jego administrator wymienił klucz.";
    else
        text = L"Serwer " + question.server + L" przedstawił klucz hosta, którego jeszcze nie znasz.";
    text += L"\n\nTyp klucza: " + TextConversion::readable(question.keyType) +
            L"\nOdcisk: " + TextConversion::readable(question.fingerprint) +
            L"\n\nCzy ufać temu kluczowi dla tego serwera od teraz?"
            L"\nNie: połączenie zostanie przerwane, nic nie zostanie wysłane.";
    return text;
}

RemoteFolder::Questions inBoxes(const std::function<bool()>& givenUp)
{
    return {[](const CertificateQuestion& question) {
                return ask(certificateText(question), L"Vornix - Certyfikat serwera");
            },
            [](const HostKeyQuestion& question) {
                return ask(hostKeyText(question), L"Vornix - Klucz hosta serwera");
            },
            givenUp};
}

}
