#include "remote/SshSocketBuffer.h"

#include <winsock2.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace {

// libssh2 tells a socket with nothing to give from a failure by -EAGAIN.
ssize_t socketFailure()
{
    int error = WSAGetLastError();
    return error == WSAEWOULDBLOCK ? -EAGAIN : -error;
}

int chunkLength(size_t length)
{
    return static_cast<int>(std::min(length, static_cast<size_t>(INT_MAX)));
}

}

void SshSocketBuffer::attach(LIBSSH2_SESSION* session, libssh2_socket_t socket)
{
    this->socket = socket;
    libssh2_session_callback_set2(session, LIBSSH2_CALLBACK_SEND,
                                  reinterpret_cast<libssh2_cb_generic*>(&SshSocketBuffer::sendCallback));
    libssh2_session_callback_set2(session, LIBSSH2_CALLBACK_RECV,
                                  reinterpret_cast<libssh2_cb_generic*>(&SshSocketBuffer::recvCallback));
}

int SshSocketBuffer::flush()
{
    if (!pending())
        return 0;
    int done = ::send(socket, outgoing.data() + sent, chunkLength(outgoing.size() - sent), 0);
    if (done < 0)
        return socketFailure() == -EAGAIN ? LIBSSH2_ERROR_EAGAIN : LIBSSH2_ERROR_SOCKET_SEND;
    sent += static_cast<size_t>(done);
    if (!pending()) {
        outgoing.clear();
        sent = 0;
        return 0;
    }
    return LIBSSH2_ERROR_EAGAIN;
}

// What libssh2 left unread moves to the front; it is at most a packet's
// start, since it reads until nothing is left.
int SshSocketBuffer::fill()
{
    std::memmove(incoming.data(), incoming.data() + read, received - read);
    received -= read;
    read = 0;
    if (received == incoming.size())
        return 0;
    int done = ::recv(socket, incoming.data() + received, chunkLength(incoming.size() - received), 0);
    if (done == 0)
        return LIBSSH2_ERROR_SOCKET_RECV;
    if (done < 0)
        return socketFailure() == -EAGAIN ? LIBSSH2_ERROR_EAGAIN : LIBSSH2_ERROR_SOCKET_RECV;
    received += static_cast<size_t>(done);
    return 0;
}

bool SshSocketBuffer::wait(std::chrono::steady_clock::time_point deadline, bool reading)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
        return false;
    long ms = static_cast<long>(left.count());
    fd_set readable;
    fd_set writable;
    FD_ZERO(&readable);
    FD_ZERO(&writable);
    if (reading)
        FD_SET(socket, &readable);
    if (pending())
        FD_SET(socket, &writable);
    timeval limit = {ms / 1000, (ms % 1000) * 1000};
    // A failed select is left to the next send or receive to report.
    return ::select(0, &readable, &writable, nullptr, &limit) != 0;
}

ssize_t SshSocketBuffer::take(char* buffer, size_t length)
{
    size_t count = std::min(length, received - read);
    std::memcpy(buffer, incoming.data() + read, count);
    read += count;
    return static_cast<ssize_t>(count);
}

ssize_t SshSocketBuffer::sendCallback(libssh2_socket_t socket, const void* buffer, size_t length, int flags,
                                      void** abstract)
{
    auto self = static_cast<SshSocketBuffer*>(*abstract);
    if (self->buffering) {
        auto bytes = static_cast<const char*>(buffer);
        self->outgoing.insert(self->outgoing.end(), bytes, bytes + length);
        return static_cast<ssize_t>(length);
    }
    int done = ::send(socket, static_cast<const char*>(buffer), chunkLength(length), flags);
    return done < 0 ? socketFailure() : done;
}

// Bytes received while buffering and not read yet come first, either way.
ssize_t SshSocketBuffer::recvCallback(libssh2_socket_t socket, void* buffer, size_t length, int flags,
                                      void** abstract)
{
    auto self = static_cast<SshSocketBuffer*>(*abstract);
    if (self->read < self->received)
        return self->take(static_cast<char*>(buffer), length);
    if (self->buffering)
        return -EAGAIN;
    int done = ::recv(socket, static_cast<char*>(buffer), chunkLength(length), flags);
    return done < 0 ? socketFailure() : done;
}
