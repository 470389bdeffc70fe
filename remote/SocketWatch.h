// Ends a blocking exchange on a socket at a deadline, or as soon as the
// caller gives up: POCO's reads and writes are bounded one by one, so a
// server that sends a byte every few seconds would hold them for ever. A
// thread of the watch's own shuts the socket down, which wakes the blocked
// call; the caller then learns from throwIfEnded why it failed.
#pragma once

#include <Poco/Net/Socket.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class SocketWatch {
public:
    // `givingUp` (may be empty) is asked ten times a second, on the watch's thread.
    SocketWatch(std::chrono::steady_clock::time_point deadline, std::function<bool()> givingUp);
    ~SocketWatch();
    SocketWatch(const SocketWatch&) = delete;
    SocketWatch& operator=(const SocketWatch&) = delete;

    // The socket to shut down when the time is up; it replaces the last one.
    void watch(const Poco::Net::Socket& socket);

    // Throws TimeoutException when the deadline passed, and a plain
    // Poco::Exception when the caller gave up; otherwise returns.
    void throwIfEnded() const;

private:
    enum class Ending { none, expired, givenUp };

    void run();
    void end(Ending why);
    void shutDown();

    const std::chrono::steady_clock::time_point deadline;
    const std::function<bool()> givingUp;
    mutable std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    Ending ending = Ending::none;
    Poco::Net::Socket socket;
    std::thread thread;
};
