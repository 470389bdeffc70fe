// The reference for delete-all under Wine: the plug-in's conversation (USER,
// PASS, TYPE I, CWD, TYPE A, EPSV, NLST, DELE per name, QUIT) on WinSock.
// With DEPTH 1 each DELE waits for its reply, as the plug-in and ftplib do;
// with a larger DEPTH up to that many DELEs are sent ahead of their replies
// (pipelined), which is what a faster delete-all could do.
//
// TIMEOUT_MS, when given, is set as the control socket's send and receive
// timeout (SO_SNDTIMEO, SO_RCVTIMEO), as POCO does for the session's timeout.
//
// Usage: bench_raw_delete_all HOST USER PASSWORD DIR [DEPTH] [TIMEOUT_MS]
// Prints key=value lines: seconds (connect to QUIT's reply), deleted,
// refused; or error=TEXT with exit code 1.
#include "bench/RawFtp.h"

namespace {

using namespace RawFtp;

bool isKept(const std::string& name)
{
    return (!name.empty() && name[0] == '.') || name == "index.htm" || name == "index.html";
}

void deleteAll(const std::string& host, const std::string& user, const std::string& password,
               const std::string& dir, size_t depth, DWORD timeout, size_t& deleted, size_t& refused)
{
    SOCKET s = connectTo(host, "21");
    if (timeout) {
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    }
    Control control(s);
    if (control.reply() != 220)
        throw Failure("no welcome");
    int code = control.command("USER " + user);
    if (code == 331)
        control.expect("PASS " + password, 200, 299);
    else if (code != 230)
        throw Failure("USER refused");
    control.expect("TYPE I", 200, 299);
    if (!dir.empty())
        control.expect("CWD " + dir, 200, 299);
    control.expect("TYPE A", 200, 299);
    std::vector<std::string> names;
    {
        Socket data(control.openData(host));
        control.expect("NLST", 100, 199);
        for (const std::string& name : readListing(data.get()))
            if (!isKept(name))
                names.push_back(name);
        data.close();
        if (control.reply() / 100 != 2)
            throw Failure("NLST did not end well");
    }
    size_t sent = 0;
    for (size_t answered = 0; answered < names.size(); ++answered) {
        std::string batch;
        for (; sent < names.size() && sent - answered < depth; ++sent)
            batch += "DELE " + names[sent] + "\r\n";
        if (!batch.empty())
            control.send(batch);
        if (control.reply() / 100 == 2)
            ++deleted;
        else
            ++refused;
    }
    control.command("QUIT");
}

}

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s HOST USER PASSWORD DIR [DEPTH] [TIMEOUT_MS]\n", argv[0]);
        return 2;
    }
    size_t depth = argc > 5 ? static_cast<size_t>(std::atol(argv[5])) : 1;
    DWORD timeout = argc > 6 ? static_cast<DWORD>(std::atol(argv[6])) : 0;
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    try {
        size_t deleted = 0, refused = 0;
        double start = Bench::seconds();
        deleteAll(argv[1], argv[2], argv[3], argv[4], depth < 1 ? 1 : depth, timeout, deleted, refused);
        Bench::result("seconds", Bench::seconds() - start);
        Bench::result("deleted", static_cast<unsigned long long>(deleted));
        Bench::result("refused", static_cast<unsigned long long>(refused));
    } catch (const std::exception& e) {
        Bench::result("error", e.what());
        return 1;
    }
    WSACleanup();
    return 0;
}
