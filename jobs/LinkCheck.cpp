#include "jobs/LinkCheck.h"

#include "plugin/TextConversion.h"
#include "remote/HttpFetch.h"
#include "remote/Timeouts.h"

#include <Poco/Exception.h>

namespace LinkCheck {

Verdict check(const std::wstring& link, int64_t storedSize, const std::function<bool()>& givingUp,
              DeadLinksReport::DeadLink& found)
{
    found = DeadLinksReport::DeadLink();
    found.link = link;
    found.storedSize = storedSize;
    try {
        HttpFetch::Response response = HttpFetch::probe(TextConversion::toUtf8(link), Timeouts::session, givingUp);
        found.status = response.status;
        found.reason = response.reason;
        found.servedSize = response.size;
    } catch (const Poco::Exception&) {
        if (givingUp && givingUp())
            return Verdict::unchecked;
        found.failure = std::current_exception();
        return Verdict::dead;
    }
    bool success = found.status / 100 == 2;
    bool sizeHolds = found.servedSize < 0 || storedSize < 0 || found.servedSize == storedSize;
    return success && sizeHolds ? Verdict::live : Verdict::dead;
}

}
