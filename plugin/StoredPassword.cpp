#include "plugin/StoredPassword.h"

#include "plugin/SettingsStore.h"

#include <Poco/Base64Decoder.h>
#include <Poco/Base64Encoder.h>
#include <Poco/Exception.h>

#include <windows.h>
#include <wincrypt.h>

#include <sstream>

namespace StoredPassword {

namespace {

const wchar_t marker[] = L"{DPAPI}";
const size_t markerLength = std::size(marker) - 1;
// Ties the protected value to this plug-in: another program of the same user
// must know it too before DPAPI gives the password back.
char entropyBytes[] = "Vornix: haslo serwera FTP";

DATA_BLOB entropy()
{
    return {sizeof(entropyBytes) - 1, reinterpret_cast<BYTE*>(entropyBytes)};
}

std::string base64(const BYTE* data, DWORD size)
{
    std::ostringstream text;
    Poco::Base64Encoder encoder(text);
    encoder.rdbuf()->setLineLength(0);
    encoder.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    encoder.close();
    return text.str();
}

// Empty when the text is not base64.
std::string fromBase64(const std::string& text)
{
    std::istringstream in(text);
    Poco::Base64Decoder decoder(in);
    std::string bytes;
    try {
        bytes.assign(std::istreambuf_iterator<char>(decoder), std::istreambuf_iterator<char>());
    } catch (const Poco::DataFormatException&) {
        bytes.clear();
    }
    return bytes;
}

}

bool read(std::wstring& password)
{
    if (unprotect(SettingsStore::readString(SettingKeys::password), password))
        return true;
    password.clear();
    return false;
}

bool write(const std::wstring& password)
{
    std::wstring stored = password.empty() ? password : protect(password);
    if (stored.empty() && !password.empty())
        return false;
    SettingsStore::writeString(SettingKeys::password, stored);
    return true;
}

bool protectPlain()
{
    std::wstring stored = SettingsStore::readString(SettingKeys::password);
    bool plain = !stored.empty() && stored.compare(0, markerLength, marker) != 0;
    bool done = !plain || write(stored);
    SecureZeroMemory(&stored[0], stored.size() * sizeof(wchar_t));
    return done;
}

std::wstring protect(const std::wstring& password)
{
    DATA_BLOB plain = {static_cast<DWORD>(password.size() * sizeof(wchar_t)),
                       reinterpret_cast<BYTE*>(const_cast<wchar_t*>(password.data()))};
    DATA_BLOB salt = entropy();
    DATA_BLOB sealed = {};
    if (!CryptProtectData(&plain, L"Vornix", &salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &sealed))
        return std::wstring();
    std::string text = base64(sealed.pbData, sealed.cbData);
    LocalFree(sealed.pbData);
    return marker + std::wstring(text.begin(), text.end());
}

bool unprotect(const std::wstring& stored, std::wstring& password)
{
    if (stored.compare(0, markerLength, marker) != 0) {
        password = stored;
        return true;
    }
    std::string bytes = fromBase64(std::string(stored.begin() + markerLength, stored.end()));
    DATA_BLOB sealed = {static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data())};
    DATA_BLOB salt = entropy();
    DATA_BLOB plain = {};
    if (bytes.empty() ||
        !CryptUnprotectData(&sealed, nullptr, &salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &plain))
        return false;
    password.assign(reinterpret_cast<const wchar_t*>(plain.pbData), plain.cbData / sizeof(wchar_t));
    SecureZeroMemory(plain.pbData, plain.cbData);
    LocalFree(plain.pbData);
    return true;
}

}
