#include "remote/FtpSettings.h"

#include "plugin/SettingsStore.h"
#include "plugin/StoredPassword.h"
#include "plugin/TextConversion.h"
#include "remote/NameListing.h"
#include "remote/Problem.h"

#include <Poco/Net/NetException.h>

namespace {

[[noreturn]] void refuseLineBreak()
{
    throw Poco::Net::FTPException("", Problem::settingsLineBreak);
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
    if (stored.value == static_cast<int32_t>(TlsMode::Implicit))
        return TlsMode::Implicit;
    return TlsMode::Required;
}

FtpSettings FtpSettings::read()
{
    Values values;
    if (!StoredPassword::read(values.password))
        throw Poco::Net::FTPException("", Problem::passwordUnreadable);
    values.host = SettingsStore::readString(SettingKeys::ftpHost);
    values.username = SettingsStore::readString(SettingKeys::username);
    values.dir = SettingsStore::readString(SettingKeys::dir);
    values.keyFile = SettingsStore::readString(SettingKeys::keyFile);
    // Settings saved before SFTP existed mean FTP.
    if (SettingsStore::readInt(SettingKeys::protocol).value == static_cast<int32_t>(Protocol::Sftp))
        values.protocol = Protocol::Sftp;
    values.tls = readTlsMode();
    return from(values);
}

FtpSettings FtpSettings::from(const Values& values)
{
    std::string host = TextConversion::toAnsiCut(values.host, SettingsStore::narrowCapacity - 1);
    FtpSettings settings;
    settings.protocol = values.protocol;
    settings.tls = values.tls;
    settings.username = values.username;
    settings.password = values.password;
    settings.dir = values.dir;
    settings.keyFile = values.keyFile;
    if (host.empty())
        throw Poco::Net::FTPException("", Problem::serverMissing);
    if (NameListing::hasLineBreak(host))
        refuseLineBreak();
    for (const std::wstring* value : {&settings.password, &settings.username, &settings.dir}) {
        if (value->find_first_of(L"\r\n") != std::wstring::npos)
            refuseLineBreak();
    }
    if (!ServerAddress::parse(host, settings.server, defaultPort(settings)))
        throw Poco::Net::FTPException(host, Problem::serverAddressInvalid);
    return settings;
}

uint16_t FtpSettings::defaultPort(const FtpSettings& settings)
{
    if (settings.protocol == Protocol::Sftp)
        return 22;
    return settings.tls == TlsMode::Implicit ? 990 : 21;
}

std::wstring FtpSettings::serverName() const
{
    return TextConversion::readable(server.host) + L":" + std::to_wstring(server.port);
}
