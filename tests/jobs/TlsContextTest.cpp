// The TLS context of a session: what OpenSSL checks the certificate against,
// the roots it trusts, and that it reads no configuration file.
#include "remote/TlsContext.h"
#include "remote/WindowsRootStore.h"

#include <gtest/gtest.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

X509_VERIFY_PARAM* checks(const TlsContext& tls)
{
    return SSL_CTX_get0_param(tls.context()->sslContext());
}

TEST(TlsContextTest, NameIsSentAndCheckedAnAddressOnlyChecked)
{
    TlsContext named("ftp.example.org");
    EXPECT_EQ("ftp.example.org", named.serverName());
    ASSERT_NE(nullptr, X509_VERIFY_PARAM_get0_host(checks(named), 0));
    EXPECT_EQ(std::string("ftp.example.org"), X509_VERIFY_PARAM_get0_host(checks(named), 0));

    for (const char* address : {"127.0.0.1", "::1"}) {
        TlsContext numeric(address);
        EXPECT_EQ("", numeric.serverName()) << address;
        EXPECT_EQ(nullptr, X509_VERIFY_PARAM_get0_host(checks(numeric), 0)) << address;
        char* checkedAddress = X509_VERIFY_PARAM_get1_ip_asc(checks(numeric));
        ASSERT_NE(nullptr, checkedAddress) << address;
        EXPECT_EQ(std::string(address == std::string("::1") ? "0:0:0:0:0:0:0:1" : address), checkedAddress);
        OPENSSL_free(checkedAddress);
    }
    EXPECT_NE(X509_V_OK, named.verificationError()) << "no certificate was presented";
}

// A certificate with the common name CN and, unless empty, the name SAN
// (as "DNS:..."); the name check reads nothing else of it.
X509* namedCertificate(const char* cn, const char* san)
{
    X509* certificate = X509_new();
    X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate), "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(cn), -1, -1, 0);
    if (*san) {
        X509_EXTENSION* names = X509V3_EXT_conf_nid(nullptr, nullptr, NID_subject_alt_name, san);
        X509_add_ext(certificate, names, -1);
        X509_EXTENSION_free(names);
    }
    return certificate;
}

// Whole-label wildcards only, and no common name standing in for names.
TEST(TlsContextTest, NameCheckTakesNeitherPartialWildcardsNorTheCommonName)
{
    const char* host = "files.example.org";
    TlsContext tls(host);
    unsigned int flags = X509_VERIFY_PARAM_get_hostflags(checks(tls));
    struct Case {
        const char* cn;
        const char* san;
        int matches;
    } cases[] = {{"x", "DNS:files.example.org", 1}, {"x", "DNS:*.example.org", 1}, {"x", "DNS:f*.example.org", 0},
                 {host, "", 0}};
    for (const Case& each : cases) {
        X509* certificate = namedCertificate(each.cn, each.san);
        EXPECT_EQ(each.matches, X509_check_host(certificate, host, 0, flags, nullptr)) << each.cn << " " << each.san;
        X509_free(certificate);
    }
}

// Under Wine the ROOT store holds the Linux host's roots.
TEST(TlsContextTest, WindowsRootsAreCopied)
{
    X509_STORE* store = X509_STORE_new();
    EXPECT_GT(WindowsRootStore::copyInto(store), 20);
    EXPECT_GT(sk_X509_OBJECT_num(X509_STORE_get0_objects(store)), 20);
    X509_STORE_free(store);
}

// A file named by OPENSSL_CONF would make every digest unavailable, as the
// explicit load at the end shows; a session's context never reads it.
TEST(TlsContextTest, PlantedConfigurationFileIsNotRead)
{
    const char* path = "planted-openssl.cnf";
    FILE* planted = std::fopen(path, "w");
    ASSERT_NE(nullptr, planted);
    std::fputs("openssl_conf = init\n[init]\nalg_section = algorithms\n[algorithms]\ndefault_properties = fips=yes\n",
               planted);
    std::fclose(planted);
    _putenv("OPENSSL_CONF=planted-openssl.cnf");

    TlsContext tls("ftp.example.org");
    EVP_MD* digest = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    EXPECT_NE(nullptr, digest);
    EVP_MD_free(digest);

    OPENSSL_INIT_SETTINGS* settings = OPENSSL_INIT_new();
    OPENSSL_INIT_set_config_filename(settings, path);
    OPENSSL_init_crypto(OPENSSL_INIT_LOAD_CONFIG, settings);
    OPENSSL_INIT_free(settings);
    digest = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    EXPECT_EQ(nullptr, digest);
    EVP_MD_free(digest);
    std::remove(path);
}

}
