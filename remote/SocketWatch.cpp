#include "remote/SocketWatch.h"

#include <Poco/Exception.h>

#include <algorithm>

SocketWatch::SocketWatch(std::chrono::steady_clock::time_point deadline, std::function<bool()> givingUp)
    : deadline(deadline), givingUp(std::move(givingUp)), thread(&SocketWatch::run, this)
{
}

SocketWatch::~SocketWatch()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    wake.notify_all();
    thread.join();
}

void SocketWatch::watch(const Poco::Net::Socket& watched)
{
    std::lock_guard<std::mutex> guard(lock);
    socket = watched;
    if (ending != Ending::none)
        shutDown();
}

void SocketWatch::throwIfEnded() const
{
    std::lock_guard<std::mutex> guard(lock);
    if (ending == Ending::expired)
        throw Poco::TimeoutException("The web server did not answer in time");
    if (ending == Ending::givenUp)
        throw Poco::Exception("Given up");
}

void SocketWatch::run()
{
    std::unique_lock<std::mutex> guard(lock);
    while (!stopping) {
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return end(Ending::expired);
        guard.unlock();
        bool gaveUp = givingUp && givingUp();
        guard.lock();
        if (gaveUp)
            return end(Ending::givenUp);
        wake.wait_for(guard, std::min<std::chrono::steady_clock::duration>(deadline - now,
                                                                            std::chrono::milliseconds(100)));
    }
}

// Both with the lock held.
void SocketWatch::end(Ending why)
{
    ending = why;
    shutDown();
}

// A socket not connected yet has nothing to shut; its connect is bounded.
void SocketWatch::shutDown()
{
    try {
        socket.impl()->shutdown();
    } catch (const Poco::Exception&) {
    }
}
