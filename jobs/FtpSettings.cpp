#include "jobs/FtpSettings.h"

#include "jobs/NameListing.h"
#include "plugin/SettingsStore.h"
#include "plugin/TextConversion.h"

#include <Poco/Net/NetException.h>

namespace {

void refuseLineBreaks(const std::string& value)
{
    if (NameListing::hasLineBreak(value))
        throw Poco::Net::FTPException(
            TextConversion::toAnsi(L"Ustawienia serwera FTP nie mogą zawierać znaków nowego wiersza"), 0);
}

}

FtpSettings FtpSettings::read()
{
    std::string host = SettingsStore::readNarrowString(SettingKeys::ftpHost);
    FtpSettings settings;
    settings.password = SettingsStore::readNarrowString(SettingKeys::password);
    settings.username = SettingsStore::readNarrowString(SettingKeys::username);
    settings.dir = SettingsStore::readNarrowString(SettingKeys::dir);
    if (host.empty())
        throw Poco::Net::FTPException(TextConversion::toAnsi(L"Uzupełnij adres serwera FTP w konfiguracji"), 0);
    for (const std::string* value : {&host, &settings.password, &settings.username, &settings.dir})
        refuseLineBreaks(*value);
    if (!ServerAddress::parse(host, settings.server))
        throw Poco::Net::FTPException(
            TextConversion::toAnsi(L"Niepoprawny adres serwera FTP w konfiguracji: ") + host, 0);
    return settings;
}
