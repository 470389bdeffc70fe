#include "jobs/UploadAttempts.h"

#include "remote/Problem.h"

#include <Poco/Exception.h>

#include <algorithm>

namespace Vornix {

namespace {

const size_t chunkSize = 4096;

}

const std::vector<DWORD> UploadAttempts::productWaitsMs = {2000, 5000, 10000};

UploadAttempts::UploadAttempts(const Server& server, const std::vector<DWORD>& waitsMs,
                               const std::function<bool()>& givingUp, Observer& observer)
    : server(server), waitsMs(waitsMs), givingUp(givingUp), observer(observer)
{
}

// Only a failed connection is tried again, and not once the user gave up.
std::string UploadAttempts::store(std::unique_ptr<RemoteFolder>& folder, FILE* file, int64_t size,
                                  const std::string& chosenName)
{
    name = chosenName;
    created = false;
    reached = 0;
    for (int attempt = 1;; ++attempt) {
        try {
            if (tryToStore(folder, file, size, attempt))
                return name;
            removeOwnFile(folder, false);
            return std::string();
        } catch (const Poco::Exception& failure) {
            if (!server.connectionFailed(failure) || attempt == attempts() || givingUp()) {
                removeOwnFile(folder, !givingUp());
                throw;
            }
        }
        if (!waitBefore(attempt + 1)) {
            removeOwnFile(folder, false);
            return std::string();
        }
    }
}

// False when the user gave up; the upload is then abandoned.
bool UploadAttempts::tryToStore(std::unique_ptr<RemoteFolder>& folder, FILE* file, int64_t size, int attempt)
{
    if (attempt > 1) {
        folder->leave();
        folder = server.enter();
    }
    int64_t from = start(*folder, attempt);
    _fseeki64(file, from, SEEK_SET);
    observer.resumeAt(from);
    if (!transfer(*folder, file, from) || givingUp() || !folder->finishUpload(givingUp)) {
        abandon(*folder);
        return false;
    }
    checkStored(*folder, size);
    // Until the file is settled the abort wins: the file goes, and no link.
    return !givingUp();
}

// A later attempt continues the file only while the name still holds what
// this job made of it; a file gone, replaced, or not one the server can size
// stays as it is, and the file starts again under a name free now.
int64_t UploadAttempts::start(RemoteFolder& folder, int attempt)
{
    if (attempt > 1 && created) {
        int64_t held = folder.storedSize(name);
        if (held >= 0 && held <= reached) {
            reached = folder.resumeUpload(name, held);
            return reached;
        }
        created = false;
    }
    if (attempt > 1)
        name = unusedName(folder);
    folder.beginUpload(name);
    created = true;
    reached = 0;
    return 0;
}

// A listing may leave names out (some servers hide dot names, or names of
// their own choosing), and another writer may have taken the name since:
// the server is asked about the one name too, and a name it holds is never
// used. A few names are tried; past them the send fails with nothing written.
std::string UploadAttempts::unusedName(RemoteFolder& folder)
{
    const size_t namesTried = 3;
    std::vector<std::string> taken;
    for (;;) {
        std::string candidate = server.freeName(folder, taken);
        if (folder.storedSize(candidate) < 0)
            return candidate;
        taken.push_back(candidate);
        if (taken.size() == namesTried)
            throw Poco::IOException(candidate, Problem::noUnusedName);
    }
}

// From byte `from` to the end; false when the user gave up. A chunk counts
// as reached before it is handed over: part of it may arrive even when the
// send fails.
bool UploadAttempts::transfer(RemoteFolder& folder, FILE* file, int64_t from)
{
    int64_t sent = from;
    for (;;) {
        size_t read = fread(folder.room(chunkSize), 1, chunkSize, file);
        if (read == 0) {
            if (!ferror(file))
                break;
            abandon(folder);
            throw Poco::IOException("", Problem::fileUnreadToEnd);
        }
        if (givingUp())
            return false;
        sent += static_cast<int64_t>(read);
        reached = sent;
        folder.commit(read);
        observer.update(sent);
    }
    observer.settle(sent);
    return true;
}

// A larger file than was sent is another writer's: it is left alone.
void UploadAttempts::checkStored(RemoteFolder& folder, int64_t size)
{
    int64_t stored = folder.storedSize(name);
    if (stored < 0 || stored == size)
        return;
    throw Poco::IOException(name, stored > reached ? Problem::storedFileNotOwn : Problem::storedSizeDiffers);
}

// The abort button works throughout the wait.
bool UploadAttempts::waitBefore(int attempt)
{
    observer.retrying(attempt, attempts());
    ULONGLONG until = GetTickCount64() + waitsMs[static_cast<size_t>(attempt - 2)];
    for (;;) {
        if (givingUp())
            return false;
        ULONGLONG now = GetTickCount64();
        if (now >= until)
            return true;
        Sleep(static_cast<DWORD>(std::min<ULONGLONG>(until - now, 100)));
    }
}

// The folder takes back the upload it has open; should that fail, the file
// is left to removeOwnFile.
void UploadAttempts::abandon(RemoteFolder& folder)
{
    try {
        folder.abandonUpload();
        created = false;
    } catch (const Poco::Exception&) {
    }
}

// Through a new connection when the folder's has failed, unless the job
// must end at once (the messenger closing, the user's abort).
void UploadAttempts::removeOwnFile(std::unique_ptr<RemoteFolder>& folder, bool mayReconnect)
{
    if (!created)
        return;
    try {
        removeIfOwn(*folder);
        return;
    } catch (const Poco::Exception& failure) {
        if (!server.connectionFailed(failure) || !mayReconnect)
            return;
    }
    try {
        folder->leave();
        folder = server.enter();
        removeIfOwn(*folder);
    } catch (const Poco::Exception&) {
    }
}

// Only a file the server sizes, and no larger than this job sent, is its
// own: a link or a directory put in its place, or a larger file, stays.
void UploadAttempts::removeIfOwn(RemoteFolder& folder)
{
    int64_t stored = folder.storedSize(name);
    if (stored >= 0 && stored <= reached)
        folder.remove(name);
    created = false;
}

}
