// The certificate decision and its question: what is asked, what is kept per
// server, and that a refusal throws and keeps nothing.
#include "remote/CertificateTrust.h"
#include "plugin/PluginState.h"
#include "plugin/SettingsStore.h"
#include "tests/RecordingHost.h"
#include "ui/TrustQuestions.h"

#include <Poco/Net/SSLException.h>

#include <gtest/gtest.h>
#include <openssl/x509_vfy.h>

#include <sstream>
#include <vector>

namespace {

// Self-signed for CN=vornix.test, valid from 2026-12-08 11:05:51 to 2036-12-05 11:05:51 UTC.
const char* const selfSignedPem = R"(-----BEGIN CERTIFICATE-----
MIIBmTCCAT+gAwIBAgIUDXKK0laaTo88Hhx8014pu8JMq+swCgYIKoZIzj0EAwIw
FjEUMBIGA1UEAwwLdm9ybml4LnRlc3QwHhcNMjYxMjA4MTEwNTUxWhcNMzYxMjA1
MTEwNTUxWjAWMRQwEgYDVQQDDAt2b3JuaXgudGVzdDBZMBMGByqGSM49AgEGCCqG
SM49AwEHA0IABKV7J3Y36l1h1AFCNuxu1NHw6z7U7z/vqJK0UcMarM8eT73GI7WX
/27hRE26ap9rzpl9EfBWVq+qVWwVvbcI3MijazBpMB0GA1UdDgQWBBSubdqCevuk
GaWZXwre97QPc9CGizAfBgNVHSMEGDAWgBSubdqCevukGaWZXwre97QPc9CGizAP
BgNVHRMBAf8EBTADAQH/MBYGA1UdEQQPMA2CC3Zvcm5peC50ZXN0MAoGCCqGSM49
BAMCA0gAMEUCIQDLeH0Ijyr1tk78wMDHWWKzfFh22BPudpgbRI42ITfA6AIgZW+3
VOBxxhFhYhtqnEE9mKfzXpCk9CPs84oRd+lBACc=
-----END CERTIFICATE-----
)";
const wchar_t* const fingerprint = L"18:EC:AA:8D:45:2E:8B:9E:BD:74:94:02:53:EB:F3:16:"
                                   L"24:86:05:95:3D:6F:9D:A3:A4:56:F9:8E:FE:9D:2E:B1";
const wchar_t* const pinKey = L"cfg/Vornix/certificatePin/ftp.example.org:2121";

Poco::Net::X509Certificate selfSigned()
{
    std::istringstream pem(selfSignedPem);
    return Poco::Net::X509Certificate(pem);
}

class CertificateTrustTest : public testing::Test {
protected:
    void SetUp() override
    {
        pluginState.host = &host.table;
        pluginState.moduleHandle = GetModuleHandleW(nullptr);
        SettingsStore::openSettings();
    }
    void TearDown() override
    {
        SettingsStore::closeSettings();
        pluginState.host = nullptr;
    }

    // Approves as the server ftp.example.org:2121 with the user answering `answer`.
    void approve(long verificationError, bool answer)
    {
        ServerAddress server{"ftp.example.org", 2121};
        CertificateTrust trust(server, [&](const CertificateQuestion& question) {
            questions.push_back(TrustQuestions::certificateText(question));
            return answer;
        });
        trust.approve(selfSigned(), [&] {
            ++verdictsAsked;
            return verificationError;
        });
    }

    RecordingHost host;
    std::vector<std::wstring> questions;
    int verdictsAsked = 0;
};

TEST_F(CertificateTrustTest, TrustedChainIsNeitherAskedAboutNorPinned)
{
    approve(X509_V_OK, false);
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(0u, host.texts.count(pinKey));
}

TEST_F(CertificateTrustTest, YesPinsTheFingerprintForThatServerAndItIsNotAskedAgain)
{
    approve(X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT, true);
    ASSERT_EQ(1u, questions.size());
    const std::wstring& question = questions[0];
    for (const wchar_t* part : {L"ftp.example.org:2121", L"podpisany przez samego siebie", L"Podmiot: CN=vornix.test",
                                L"Wystawca: CN=vornix.test", L"od 2026-12-08 11:05 UTC do 2036-12-05 11:05 UTC",
                                fingerprint})
        EXPECT_NE(std::wstring::npos, question.find(part)) << part;
    EXPECT_EQ(std::wstring::npos, question.find(L"zmienił"));
    EXPECT_EQ(fingerprint, host.texts[pinKey]);

    approve(X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT, false);
    EXPECT_EQ(1u, questions.size());
    EXPECT_EQ(1, verdictsAsked) << "the pinned certificate needs no verdict";
}

TEST_F(CertificateTrustTest, ChangedCertificateIsAskedAboutAgainAndNoKeepsTheOldPin)
{
    host.texts[pinKey] = L"00:11";
    EXPECT_THROW(approve(X509_V_ERR_HOSTNAME_MISMATCH, false), Poco::Net::CertificateValidationException);
    ASSERT_EQ(1u, questions.size());
    EXPECT_NE(std::wstring::npos, questions[0].find(L"zmienił się"));
    EXPECT_NE(std::wstring::npos, questions[0].find(L"wystawiono dla innej nazwy"));
    EXPECT_EQ(L"00:11", host.texts[pinKey]);
}

TEST_F(CertificateTrustTest, PinOfAnotherServerDoesNotCount)
{
    host.texts[L"cfg/Vornix/certificatePin/ftp.example.org:21"] = fingerprint;
    EXPECT_THROW(approve(X509_V_ERR_CERT_HAS_EXPIRED, false), Poco::Net::CertificateValidationException);
    ASSERT_EQ(1u, questions.size());
    EXPECT_NE(std::wstring::npos, questions[0].find(L"wygasł"));
    EXPECT_EQ(0u, host.texts.count(pinKey));
}

}
