// The SSH session's socket as libssh2 sees it, through its send and receive
// callbacks. Under Wine every send, receive and poll is a request to the wine
// server; libssh2 sends each packet by itself and, before each one, reads
// until the socket has nothing more. While buffering, what libssh2 sends
// gathers here and leaves in one send, and it reads only what one large
// receive brought, so an upload costs a few socket calls per batch of
// packets instead of thousands per MB. Otherwise every call goes straight to
// the socket, as libssh2's blocking calls need.
#pragma once

#include <libssh2.h>

#include <chrono>
#include <cstddef>
#include <vector>

class SshSocketBuffer {
public:
    // The session must have been made with this object as its abstract
    // (libssh2_session_init_ex).
    void attach(LIBSSH2_SESSION* session, libssh2_socket_t socket);

    // Before it is turned off, what was gathered must have left (pending()).
    void setBuffering(bool on) { buffering = on; }
    bool isBuffering() const { return buffering; }
    bool pending() const { return sent < outgoing.size(); }

    // Each is one socket call, or none when there is nothing to do. They
    // return 0, LIBSSH2_ERROR_EAGAIN when the socket took or had nothing, or
    // LIBSSH2_ERROR_SOCKET_SEND / _RECV (the connection failed or ended).
    int flush();
    int fill();

    // Until the socket has something to read (when `reading`), or room while
    // something waits to be sent. Returns false when `deadline` passed first.
    bool wait(std::chrono::steady_clock::time_point deadline, bool reading);

private:
    static const size_t receiveSize = 65536;

    static ssize_t sendCallback(libssh2_socket_t socket, const void* buffer, size_t length, int flags,
                                void** abstract);
    static ssize_t recvCallback(libssh2_socket_t socket, void* buffer, size_t length, int flags, void** abstract);
    ssize_t take(char* buffer, size_t length);

    libssh2_socket_t socket = LIBSSH2_INVALID_SOCKET;
    bool buffering = false;
    std::vector<char> outgoing;
    size_t sent = 0;  // of outgoing
    std::vector<char> incoming = std::vector<char>(receiveSize);
    size_t read = 0;  // of incoming[0, received)
    size_t received = 0;
};
