// One local file stored in the configured folder over as many sessions as it
// takes. A connection that fails is made again after a wait, and the file
// continues only where this job made it and the server holds no more than
// the job sent; otherwise the next attempt starts as the first did, under a
// name that is free then. Nothing the job did not make is written to,
// truncated or removed: not on a resume, an abort or a failed size check.
#pragma once

#include "remote/RemoteFolder.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Poco {
class Exception;
}

namespace Vornix {

class UploadAttempts {
public:
    // What the user sees of the upload.
    class Observer {
    public:
        // Before an attempt's first byte: `held` bytes are on the server.
        virtual void resumeAt(int64_t held) = 0;
        // After each chunk, with the bytes sent in all.
        virtual void update(int64_t sent) = 0;
        // After the last chunk.
        virtual void settle(int64_t sent) = 0;
        // While the job waits before attempt `attempt` of `attempts`.
        virtual void retrying(int attempt, int attempts) = 0;

    protected:
        ~Observer() = default;
    };

    // How the job reaches its server.
    struct Server {
        std::function<std::unique_ptr<RemoteFolder>()> enter;
        std::function<bool(const Poco::Exception&)> connectionFailed;
        // A name for the file that nothing listed in the folder has now,
        // nor is one of `alsoTaken`.
        std::function<std::string(RemoteFolder&, const std::vector<std::string>& alsoTaken)> freeName;
    };

    // The product's waits before the second, third and fourth attempt.
    static const std::vector<DWORD> productWaitsMs;

    // One attempt more than there are waits. `givingUp` is asked between
    // chunks and throughout each wait.
    UploadAttempts(const Server& server, const std::vector<DWORD>& waitsMs, const std::function<bool()>& givingUp,
                   Observer& observer);

    // Stores the `size` bytes of `file` under `name`, or under another free
    // name where a later attempt had to start again. Returns the name the
    // server holds the whole file under, or "" when the user gave up; then
    // nothing of this job's is left. Throws the failure that ended the
    // upload, Problem::storedSizeDiffers among them, once what this job made
    // of the file is removed; Problem::fileUnreadToEnd when `file` fails.
    std::string store(std::unique_ptr<RemoteFolder>& folder, FILE* file, int64_t size, const std::string& name);

private:
    int attempts() const { return static_cast<int>(waitsMs.size()) + 1; }
    bool tryToStore(std::unique_ptr<RemoteFolder>& folder, FILE* file, int64_t size, int attempt);
    int64_t start(RemoteFolder& folder, int attempt);
    std::string unusedName(RemoteFolder& folder);
    bool transfer(RemoteFolder& folder, FILE* file, int64_t from);
    void checkStored(RemoteFolder& folder, int64_t size);
    bool waitBefore(int attempt);
    void abandon(RemoteFolder& folder);
    void removeOwnFile(std::unique_ptr<RemoteFolder>& folder, bool mayReconnect);
    void removeIfOwn(RemoteFolder& folder);

    Server server;
    std::vector<DWORD> waitsMs;
    std::function<bool()> givingUp;
    Observer& observer;
    std::string name;
    bool created = false;  // the server made `name` for this job
    int64_t reached = 0;   // the most the server can hold of it
};

}
