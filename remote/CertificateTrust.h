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

class CertificateTrust {
public:
    // Shows the question and gives the user's answer: true for yes.
    typedef std::function<bool(const std::wstring& question)> Question;

    CertificateTrust(const ServerAddress& server, Question ask);

    // Returns normally when the certificate may be used. Throws
    // Poco::Net::CertificateValidationException when the user refuses it.
    // `verificationError` gives the chain's verdict (X509_V_OK or an
    // X509_V_ERR_* code); it is not asked for a pinned certificate.
    void approve(const Poco::Net::X509Certificate& certificate,
                 const std::function<long()>& verificationError) const;

    // True when a session to this server completed TLS before, or the user
    // accepted a certificate of it.
    bool expectsTls() const;
    // Keeps that a session to this server completed TLS.
    void rememberTls() const;

    // The question as a message box with Yes and No.
    static bool askInBox(const std::wstring& question);

    // The setting that keeps the fingerprint accepted for `server`.
    static std::wstring pinKey(const ServerAddress& server);

    // "AB:CD:...": the certificate's SHA-256 fingerprint.
    static std::string fingerprint(const Poco::Net::X509Certificate& certificate);

private:
    std::wstring question(const Poco::Net::X509Certificate& certificate, long verificationError,
                          bool changed) const;

    std::wstring serverName;  // "host:port"
    std::wstring pinSetting;
    std::wstring tlsDoneSetting;
    Question ask;
};
