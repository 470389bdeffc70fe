// What the code below the user interface found wrong, beyond the server's
// words. It travels as the code of the exception thrown, which keeps its kind
// (FTPException, IOException, ...) for the box's title; the message then
// holds only the server's reply, a name or a path, if any. The user interface
// words each problem. FTP statuses and socket errors never fall in this range.
#pragma once

namespace Problem {

enum Code : int {
    // Settings
    passwordUnreadable = 1000,
    serverMissing,
    serverAddressInvalid,  // message: the address
    settingsLineBreak,
    // FTP
    tlsNoLongerOffered,  // message: the reply
    tlsRefused,          // message: the reply
    dataTlsRefused,      // message: the command and the reply
    implicitTlsFailed,   // message: OpenSSL's reason
    listingTooLong,  // over SFTP too
    directoryNotEncodable,
    storedSizeDiffers,  // message: the name on the server
    storedFileNotOwn,   // message: the name on the server
    noUnusedName,       // message: the last name tried
    // Trust
    certificateRefused,
    hostKeyRefused,
    loginPromptUnexpected,  // message: the server's prompt
    linkCertificateUntrusted,  // message: OpenSSL's reason
    linkNotWeb,                // message: the link
    linkLeavesHttps,           // message: the http address redirected to
    // The list of sent files
    sentRecordUnsafe,
    // SFTP key files
    keyFileUnreadable,  // message: the path, in UTF-8
    keyFilePutty,
    keyFileNotOpenSsh,
    keyPassphraseWrong,
    // The local file: the last range, see isAboutLocalFile
    fileNameLineBreak,
    fileNameNotEncodable,
    fileUnopened,
    fileUnreadToEnd,
};

// A problem of one local file, after which other files may still be sent.
inline bool isAboutLocalFile(int code)
{
    return code >= fileNameLineBreak && code <= fileUnreadToEnd;
}

}
