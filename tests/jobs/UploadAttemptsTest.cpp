// The upload's attempts against a server in memory, with waits of a
// millisecond: what a retry continues, starts again or removes, and that a
// file another writer put under the name is never touched.
#include "jobs/UploadAttempts.h"
#include "remote/Problem.h"

#include <Poco/Exception.h>
#include <Poco/Net/NetException.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

using Vornix::UploadAttempts;

namespace {

// The files of a server and what it does wrong, shared by its sessions.
struct Server {
    std::map<std::string, std::string> files;
    int refusedStores = 0;       // STORs answered 425, with the stranger's file put there first
    size_t cutAt = 0;            // a session's upload breaks once the file would pass this size
    int cuts = 0;                // how many uploads break so
    std::vector<std::string> log;
};

const std::string strangers = "another writer's bytes";

class Folder : public RemoteFolder {
public:
    explicit Folder(Server& server) : server(server) { server.log.push_back("enter"); }
    const NameEncoding& nameEncoding() const override { return encoding; }
    NameListing listNames() override
    {
        NameListing listing;
        for (const auto& file : server.files)
            listing.addName(file.first);
        return listing;
    }
    void beginUpload(const std::string& name) override
    {
        server.log.push_back("begin " + name);
        if (server.refusedStores > 0) {
            --server.refusedStores;
            server.files[name] = strangers;
            throw Poco::Net::FTPException("STOR command failed", 425);
        }
        server.files[name].clear();
        uploading = name;
    }
    int64_t resumeUpload(const std::string& name, int64_t held) override
    {
        server.log.push_back("resume " + name + " at " + std::to_string(held));
        uploading = name;
        return held;
    }
    int64_t storedSize(const std::string& name) override
    {
        return server.files.count(name) ? static_cast<int64_t>(server.files[name].size()) : -1;
    }
    int64_t storedTime(const std::string&) override { return -1; }
    char* room(size_t size) override
    {
        chunk.resize(size);
        return chunk.data();
    }
    void commit(size_t size) override
    {
        std::string& file = server.files[uploading];
        if (server.cuts > 0 && file.size() + size > server.cutAt) {
            --server.cuts;
            file.append(chunk.data(), server.cutAt - file.size());
            throw Poco::Net::NetException("Connection reset");
        }
        file.append(chunk.data(), size);
    }
    bool finishUpload(const std::function<bool()>&) override { return true; }
    void abandonUpload() override { remove(uploading); }
    void remove(const std::string& name) override
    {
        server.log.push_back("remove " + name);
        server.files.erase(name);
    }
    void leave() override {}

private:
    Server& server;
    NameEncoding encoding{true};
    std::string uploading;
    std::vector<char> chunk;
};

struct Observer : UploadAttempts::Observer {
    std::function<void()> duringWait = [] {};
    void resumeAt(int64_t) override {}
    void update(int64_t) override {}
    void settle(int64_t) override {}
    void retrying(int, int) override { duringWait(); }
};

class UploadAttemptsTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 10000; ++i)
            data += static_cast<char>('a' + i % 26);
        wchar_t folder[MAX_PATH], path[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"vxu", 0, path);
        localPath = path;
        FILE* out = _wfopen(path, L"wb");
        fwrite(data.data(), 1, data.size(), out);
        fclose(out);
        file = _wfopen(path, L"rb");
    }
    void TearDown() override
    {
        fclose(file);
        DeleteFileW(localPath.c_str());
    }

    std::string store()
    {
        UploadAttempts::Server access{
            [this] { return std::unique_ptr<RemoteFolder>(new Folder(server)); },
            [](const Poco::Exception& e) { return RemoteFolder::connectionFailed(Protocol::Ftp, e); },
            [](RemoteFolder& folder, const std::vector<std::string>& alsoTaken) {
                NameListing listing = folder.listNames();
                for (const std::string& name : alsoTaken)
                    listing.addName(name);
                return listing.freeNameFor("f.txt", 1000);
            }};
        UploadAttempts attempts(access, {1, 1, 1}, [this] { return givingUp; }, observer);
        std::unique_ptr<RemoteFolder> folder(new Folder(server));
        return attempts.store(folder, file, static_cast<int64_t>(data.size()), "f.txt");
    }

    Server server;
    Observer observer;
    bool givingUp = false;
    std::string data;
    std::wstring localPath;
    FILE* file = nullptr;
};

TEST_F(UploadAttemptsTest, CutUploadContinuesTheFileThisJobMade)
{
    server.cutAt = 6000;
    server.cuts = 1;
    EXPECT_EQ("f.txt", store());
    EXPECT_EQ(data, server.files["f.txt"]);
    EXPECT_EQ((std::vector<std::string>{"enter", "begin f.txt", "enter", "resume f.txt at 6000"}), server.log);
}

// The first store is refused while another writer puts its file there, or
// the partial file is replaced during the wait by a larger one: neither is
// written to or removed, and the file starts again under a free name.
TEST_F(UploadAttemptsTest, FileThisJobDidNotMakeIsNeverTouched)
{
    const std::string larger(9000, 'x');  // more than the 8192 bytes handed over
    std::vector<std::pair<std::function<void()>, std::string>> faults = {
        {[this] { server.refusedStores = 1; }, strangers},
        {[&] {
             server.cutAt = 6000, server.cuts = 1;
             observer.duringWait = [&] { server.files["f.txt"] = larger; };
         },
         larger}};
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.second.size());
        server = Server();
        fault.first();
        EXPECT_EQ("1000_f.txt", store());
        EXPECT_EQ(data, server.files["1000_f.txt"]);
        EXPECT_EQ(fault.second, server.files["f.txt"]);
        EXPECT_EQ(2u, server.files.size());
        EXPECT_EQ(server.log.end(), std::find(server.log.begin(), server.log.end(), "remove f.txt"));
    }
}

// Cut on every attempt: four sessions, then the failure, and the partial
// file goes; but not once another writer's larger file took its place.
TEST_F(UploadAttemptsTest, LastFailureRemovesOnlyTheJobsOwnPartialFile)
{
    for (bool replaced : {false, true}) {
        SCOPED_TRACE(replaced);
        server = Server();
        server.cutAt = 3000;
        server.cuts = 100;
        int waits = 0;
        observer.duringWait = [&] {
            if (replaced && ++waits == 3)
                server.files["f.txt"] = std::string(9000, 'x');
        };
        EXPECT_THROW(store(), Poco::Net::NetException);
        EXPECT_EQ(4, std::count(server.log.begin(), server.log.end(), std::string("enter")));
        EXPECT_EQ(replaced ? 1u : 0u, server.files.size());
        EXPECT_EQ(replaced ? std::string(9000, 'x') : "", server.files["f.txt"]);
    }
}

TEST_F(UploadAttemptsTest, AbortDuringTheWaitRemovesThePartialFile)
{
    server.cutAt = 3000;
    server.cuts = 1;
    observer.duringWait = [this] { givingUp = true; };
    EXPECT_EQ("", store());
    EXPECT_TRUE(server.files.empty());
}

}
