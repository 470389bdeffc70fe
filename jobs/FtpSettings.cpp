#include "jobs/FtpSettings.h"

#include "jobs/NameListing.h"
#include "plugin/SettingsStore.h"
#include "plugin/TextConversion.h"

#include <Poco/Net/NetException.h>

namespace {

[[noreturn]] void refuseLineBreak()
{
    throw Poco::Net::FTPException(
        TextConversion::toAnsi(L"Ustawienia serwera FTP nie mogą zawierać znaków nowego wiersza"), 0);
}

}

TlsMode FtpSettings::readTlsMode()
{
    SettingRead stored = SettingsStore::readInt(SettingKeys::tls);
    if (stored.value == static_cast<int32_t>(TlsMode::Required))
        return TlsMode::Required;
    if (stored.value == static_cast<int32_t>(TlsMode::Off))
        return TlsMode::Off;
    return TlsMode::WhenOffered;
}

FtpSettings FtpSettings::read()
{
    std::string host = SettingsStore::readNarrowString(SettingKeys::ftpHost);
    FtpSettings settings;
    settings.password = SettingsStore::readString(SettingKeys::password);
    settings.username = SettingsStore::readString(SettingKeys::username);
    settings.dir = SettingsStore::readString(SettingKeys::dir);
    if (host.empty())
        throw Poco::Net::FTPException(TextConversion::toAnsi(L"Uzupełnij adres serwera FTP w konfiguracji"), 0);
    if (NameListing::hasLineBreak(host))
        refuseLineBreak();
    for (const std::wstring* value : {&settings.password, &settings.username, &settings.dir}) {
        if (value->find_first_of(L"\r\n") != std::wstring::npos)
            refuseLineBreak();
    }
    if (!ServerAddress::parse(host, settings.server))
        throw Poco::Net::FTPException(
            TextConversion::toAnsi(L"Niepoprawny adres serwera FTP w konfiguracji: ") + host, 0);
    settings.tls = readTlsMode();
    return settings;
}
