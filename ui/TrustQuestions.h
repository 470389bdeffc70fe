// The certificate and host-key questions, worded and asked in message boxes
// with Yes and No on the job's thread.
#pragma once

#include "remote/CertificateTrust.h"
#include "remote/HostKeyTrust.h"
#include "remote/RemoteFolder.h"

#include <functional>
#include <string>

namespace TrustQuestions {

std::wstring certificateText(const CertificateQuestion& question);
std::wstring hostKeyText(const HostKeyQuestion& question);

// Both questions, each in its own box; `givenUp` as the job asks it.
RemoteFolder::Questions inBoxes(const std::function<bool()>& givenUp = nullptr);

}
