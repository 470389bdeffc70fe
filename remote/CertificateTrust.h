// Whether a server's certificate may carry this session: when Windows' roots
// vouch for it and it names the server; when it is the one the user accepted
// for this server before (its SHA-256 fingerprint is kept in the settings);
// or when the user accepts it now, on the job's thread, which keeps it.
// Also whether the server must speak TLS even where TLS is only wanted when
// offered: once it did, a refusal is more likely someone on the way than a
// server that gave TLS up, and would hand them the login in clear text.
#pragma once

#include "remote/ServerAddress.h"

#include <Poco/Net/X509Certificate.h>

#include <functional>
#include <string>

// What the user is asked about: a certificate that no root vouches for,
// or one other than the certificate accepted for this server before.
struct CertificateQuestion {
    const std::wstring& server;  // "host:port"
    const Poco::Net::X509Certificate& certificate;
    long verificationError;  // an X509_V_ERR_* code
    bool changed;
};

class CertificateTrust {
public:
    // Asks the user and gives the answer: true for yes.
    typedef std::function<bool(const CertificateQuestion& question)> Question;

    CertificateTrust(const ServerAddress& server, Question ask);

    // Returns normally when the certificate may be used. Throws
    // Poco::Net::CertificateValidationException with Problem::certificateRefused
    // when the user refuses it.
    // `verificationError` gives the chain's verdict (X509_V_OK or an
    // X509_V_ERR_* code); it is not asked for a pinned certificate.
    void approve(const Poco::Net::X509Certificate& certificate,
                 const std::function<long()>& verificationError) const;

    // True when a session to this server completed TLS before, or the user
    // accepted a certificate of it.
    bool expectsTls() const;
    // Keeps that a session to this server completed TLS.
    void rememberTls() const;

    // The setting that keeps the fingerprint accepted for `server`.
    static std::wstring pinKey(const ServerAddress& server);

    // "AB:CD:...": the certificate's SHA-256 fingerprint.
    static std::string fingerprint(const Poco::Net::X509Certificate& certificate);

private:
    std::wstring serverName;  // "host:port"
    std::wstring pinSetting;
    std::wstring tlsDoneSetting;
    Question ask;
};
