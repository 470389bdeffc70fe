// A minimal FTP client on WinSock for the reference programs: a control
// connection that reads replies line by line, passive data connections, and
// nothing else between the program and the platform's sockets.
#pragma once

#include "bench/BenchClock.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace RawFtp {

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Socket {
public:
    explicit Socket(SOCKET s) : s(s) {}
    ~Socket() { close(); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET get() const { return s; }
    void close()
    {
        if (s != INVALID_SOCKET)
            closesocket(s);
        s = INVALID_SOCKET;
    }

private:
    SOCKET s;
};

inline SOCKET connectTo(const std::string& host, const std::string& port)
{
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || !found)
        throw Failure("cannot resolve " + host);
    SOCKET s = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    int done = s == INVALID_SOCKET ? SOCKET_ERROR : connect(s, found->ai_addr, static_cast<int>(found->ai_addrlen));
    freeaddrinfo(found);
    if (done == SOCKET_ERROR) {
        if (s != INVALID_SOCKET)
            closesocket(s);
        throw Failure("cannot connect to " + host + ":" + port);
    }
    return s;
}

inline void sendAll(SOCKET s, const char* data, size_t size)
{
    while (size > 0) {
        int sent = send(s, data, static_cast<int>(size), 0);
        if (sent <= 0)
            throw Failure("send failed");
        data += sent;
        size -= static_cast<size_t>(sent);
    }
}

class Control {
public:
    explicit Control(SOCKET s) : socket(s) {}

    // The reply's code; multi-line replies are read to their last line.
    int reply(std::string* text = nullptr)
    {
        std::string line = readLine();
        if (line.size() < 3)
            throw Failure("bad reply: " + line);
        if (line.size() > 3 && line[3] == '-') {
            std::string end = line.substr(0, 3) + " ";
            while (line.compare(0, 4, end) != 0)
                line = readLine();
        }
        if (text)
            *text = line;
        return std::atoi(line.substr(0, 3).c_str());
    }

    int command(const std::string& line, std::string* text = nullptr)
    {
        send(line + "\r\n");
        return reply(text);
    }

    // Lines that end in CR LF each, sent without waiting for a reply.
    void send(const std::string& lines) { sendAll(socket.get(), lines.data(), lines.size()); }

    void expect(const std::string& line, int lowest, int highest)
    {
        std::string text;
        int code = command(line, &text);
        if (code < lowest || code > highest)
            throw Failure(line.substr(0, 4) + ": " + text);
    }

    // The data connection of the next transfer: EPSV first, then PASV.
    SOCKET openData(const std::string& host)
    {
        std::string text;
        if (command("EPSV", &text) == 229) {
            size_t open = text.find("(|||");
            if (open != std::string::npos)
                return connectTo(host, std::to_string(std::atoi(text.c_str() + open + 4)));
        }
        if (command("PASV", &text) != 227)
            throw Failure("PASV: " + text);
        int n[6] = {};
        size_t open = text.find('(');
        if (open == std::string::npos ||
            std::sscanf(text.c_str() + open + 1, "%d,%d,%d,%d,%d,%d", &n[0], &n[1], &n[2], &n[3], &n[4], &n[5]) != 6)
            throw Failure("PASV: " + text);
        return connectTo(host, std::to_string(n[4] * 256 + n[5]));
    }

private:
    std::string readLine()
    {
        for (;;) {
            size_t end = buffered.find("\r\n");
            if (end != std::string::npos) {
                std::string line = buffered.substr(0, end);
                buffered.erase(0, end + 2);
                return line;
            }
            char chunk[1024];
            int got = recv(socket.get(), chunk, sizeof chunk, 0);
            if (got <= 0)
                throw Failure("control connection closed");
            buffered.append(chunk, static_cast<size_t>(got));
        }
    }

    Socket socket;
    std::string buffered;
};

inline std::vector<std::string> readListing(SOCKET data)
{
    std::string all;
    char chunk[4096];
    for (int got; (got = recv(data, chunk, sizeof chunk, 0)) > 0;)
        all.append(chunk, static_cast<size_t>(got));
    std::vector<std::string> names;
    size_t start = 0;
    for (size_t end; (end = all.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string name = all.substr(start, end - start);
        if (!name.empty() && name.back() == '\r')
            name.pop_back();
        names.push_back(name);
    }
    return names;
}

}
