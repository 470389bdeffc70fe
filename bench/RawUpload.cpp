// The reference uploader: the same FTP conversation as the plug-in's upload
// (USER, PASS, TYPE I, CWD, TYPE A, EPSV, NLST, TYPE I, EPSV, STOR, QUIT, as
// POCO sends it; PASV when EPSV is refused), written directly on WinSock with
// file reads and socket sends of one block size (64 KB by default). It shows what this Wine can do, so the plug-in is measured
// against the platform rather than against a native client.
//
// Usage: bench_raw_upload HOST USER PASSWORD DIR FILE [BLOCK]
// Prints key=value lines: bytes, seconds (connect to QUIT's reply),
// mbps, peak_ws; or error=TEXT with exit code 1.
#include "bench/RawFtp.h"

#include <ctime>

namespace {

using namespace RawFtp;

unsigned long long upload(const std::string& host, const std::string& user, const std::string& password,
                          const std::string& dir, const std::string& path, size_t block)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw Failure("cannot open " + path);
    std::vector<char> buffer(block);
    unsigned long long total = 0;
    try {
        Control control(connectTo(host, "21"));
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

        // The listing, as the plug-in reads it to find a free name.
        std::string name = Bench::fileName(path);
        {
            control.expect("TYPE A", 200, 299);
            Socket data(control.openData(host));
            control.expect("NLST", 100, 199);
            for (const std::string& listed : readListing(data.get()))
                if (listed == name)
                    name = std::to_string(static_cast<long long>(time(nullptr))) + "_" + name;
            data.close();
            if (control.reply() / 100 != 2)
                throw Failure("NLST did not end well");
        }

        control.expect("TYPE I", 200, 299);
        Socket data(control.openData(host));
        control.expect("STOR " + name, 100, 199);
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
                throw Failure("cannot read " + path);
            if (got == 0)
                break;
            sendAll(data.get(), buffer.data(), got);
            total += got;
        }
        shutdown(data.get(), SD_SEND);
        data.close();
        std::string text;
        if (control.reply(&text) / 100 != 2)
            throw Failure("STOR: " + text);
        control.command("QUIT");
    } catch (...) {
        CloseHandle(file);
        throw;
    }
    CloseHandle(file);
    return total;
}

}

int main(int argc, char** argv)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: %s HOST USER PASSWORD DIR FILE [BLOCK]\n", argv[0]);
        return 2;
    }
    size_t block = argc > 6 ? static_cast<size_t>(std::atol(argv[6])) : 65536;
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    try {
        double start = Bench::seconds();
        unsigned long long bytes = upload(argv[1], argv[2], argv[3], argv[4], argv[5], block);
        double elapsed = Bench::seconds() - start;
        Bench::result("bytes", bytes);
        Bench::result("seconds", elapsed);
        Bench::result("mbps", bytes / 1048576.0 / elapsed);
        Bench::result("peak_ws", Bench::peakWorkingSet());
    } catch (const std::exception& e) {
        Bench::result("error", e.what());
        return 1;
    }
    WSACleanup();
    return 0;
}
