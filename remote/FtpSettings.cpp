#include "remote/FtpSettings.h"

#include "remote/NameListing.h"
#include "plugin/SettingsStore.h"
#include "plugin/StoredPassword.h"
#include "plugin/TextConversion.h"

#include <Poco/Net/NetException.h>

namespace {

[[noreturn]] void refuseLineBreak()
{
    throw Poco::Net::FTPException(
        TextConversion::toAnsi(L"Ustawienia serwera FTP nie mogą zawierać znaków nowego wiersza"), 0);
}

}

// Settings saved before the choice existed mean "when offered"; a value
// this version does not know fails closed.
TlsMode FtpSettings::readTlsMode()
{
    SettingRead stored = SettingsStore::readInt(SettingKeys::tls);
    if (!stored.found || stored.value == static_cast<int32_t>(TlsMode::WhenOffered))
        return TlsMode::WhenOffered;
    if (stored.value == static_cast<int32_t>(TlsMode::Off))
        return TlsMode::Off;
    return TlsMode::Required;
}

FtpSettings FtpSettings::read()
{
    std::string host = SettingsStore::readNarrowString(SettingKeys::ftpHost);
    FtpSettings settings;
    if (!StoredPassword::read(settings.password))
        throw Poco::Net::FTPException(TextConversion::toAnsi(
            L"Nie można odczytać zapisanego hasła: zapisano je na innym koncie Windows lub innym komputerze. "
            L"Wpisz hasło ponownie w opcjach wtyczki (FTP)."), 0);
    settings.username = SettingsStore::readString(SettingKeys::username);
    settings.dir = SettingsStore::readString(SettingKeys::dir);
    settings.keyFile = SettingsStore::readString(SettingKeys::keyFile);
    // Settings saved before SFTP existed mean FTP.
    if (SettingsStore::readInt(SettingKeys::protocol).value == static_cast<int32_t>(Protocol::Sftp))
        settings.protocol = Protocol::Sftp;
    if (host.empty())
        throw Poco::Net::FTPException(TextConversion::toAnsi(L"Uzupełnij adres serwera FTP w konfiguracji"), 0);
    if (NameListing::hasLineBreak(host))
        refuseLineBreak();
    for (const std::wstring* value : {&settings.password, &settings.username, &settings.dir}) {
        if (value->find_first_of(L"\r\n") != std::wstring::npos)
            refuseLineBreak();
    }
    if (!ServerAddress::parse(host, settings.server, settings.protocol == Protocol::Sftp ? 22 : 21))
        throw Poco::Net::FTPException(
            TextConversion::toAnsi(L"Niepoprawny adres serwera FTP w konfiguracji: ") + host, 0);
    settings.tls = readTlsMode();
    return settings;
}
