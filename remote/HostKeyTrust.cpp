#include "remote/HostKeyTrust.h"

#include "plugin/SettingsStore.h"
#include "plugin/TextConversion.h"
#include "remote/Problem.h"
#include "remote/SftpException.h"

#include <Poco/Base64Encoder.h>

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
    if (!ask(HostKeyQuestion{serverName, keyType, fingerprint, !known.empty()}))
        throw SftpException("", Problem::hostKeyRefused);
    SettingsStore::writeString(keySetting.c_str(), key);
}

std::string HostKeyTrust::knownKeyType() const
{
    std::wstring known = SettingsStore::readString(keySetting.c_str());
    std::wstring type = known.substr(0, known.find(L' '));
    return std::string(type.begin(), type.end());
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
