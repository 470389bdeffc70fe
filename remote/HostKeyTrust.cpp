#include "remote/HostKeyTrust.h"

#include "remote/SftpException.h"
#include "plugin/SettingsStore.h"
#include "plugin/TextConversion.h"

#include <Poco/Base64Encoder.h>

#include <windows.h>

#include <sstream>

HostKeyTrust::HostKeyTrust(const ServerAddress& server, Question ask)
    : serverName(TextConversion::readable(server.host) + L":" + std::to_wstring(server.port)),
      keySetting(SettingKeys::hostKeyPrefix + serverName), ask(std::move(ask))
{
}

void HostKeyTrust::approve(const std::string& keyType, const std::string& fingerprint) const
{
    std::wstring key = TextConversion::readable(keyType + " " + fingerprint);
    std::wstring known = SettingsStore::readString(keySetting.c_str());
    if (known == key)
        return;
    if (!ask(question(keyType, fingerprint, !known.empty())))
        throw SftpException(TextConversion::toAnsi(L"Klucz hosta serwera odrzucony, nic nie wysłano"));
    SettingsStore::writeString(keySetting.c_str(), key);
}

bool HostKeyTrust::askInBox(const std::wstring& question)
{
    return MessageBoxW(nullptr, question.c_str(), L"Vornix - Klucz hosta serwera",
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

std::string HostKeyTrust::fingerprint(const unsigned char* sha256)
{
    std::ostringstream text;
    Poco::Base64Encoder encoder(text, Poco::BASE64_NO_PADDING);
    encoder.rdbuf()->setLineLength(0);
    encoder.write(reinterpret_cast<const char*>(sha256), 32);
    encoder.close();
    return "SHA256:" + text.str();
}

std::wstring HostKeyTrust::question(const std::string& keyType, const std::string& fingerprint, bool changed) const
{
    std::wstring text;
    if (changed)
        text = L"UWAGA: klucz hosta serwera " + serverName +
               L" zmienił się od czasu, gdy go zaakceptowano. Ktoś może podszywać się pod serwer, "
               L"chyba że jego administrator wymienił klucz.";
    else
        text = L"Serwer " + serverName + L" przedstawił klucz hosta, którego jeszcze nie znasz.";
    text += L"\n\nTyp klucza: " + TextConversion::readable(keyType) +
            L"\nOdcisk: " + TextConversion::readable(fingerprint) +
            L"\n\nCzy ufać temu kluczowi dla tego serwera od teraz?"
            L"\nNie: połączenie zostanie przerwane, nic nie zostanie wysłane.";
    return text;
}
