// EndpointWatch: the system's word that audio endpoints came, went or changed
// state (IMMNotificationClient), passed on as one call of a hook, so that the
// Device menu follows the endpoints as they are plugged and pulled. The
// capture itself finds a lost endpoint again by its ID (WasapiInput); where
// the system sends no word (some Wine versions), it still does so by its
// retry, and only the menu waits for its next refresh.
//
// Threads: made and destroyed on any one thread; the registration lives on a
// thread of its own (COM's multithreaded apartment), so the owner's thread
// keeps whatever apartment it has. The hook runs on a system thread and must
// only post. Destruction
// unregisters: once it has returned, no call of the hook is under way or follows.
#pragma once

#include <functional>
#include <memory>

class EndpointWatch {
public:
    explicit EndpointWatch(std::function<void()> hook);
    ~EndpointWatch();
    EndpointWatch(const EndpointWatch&) = delete;
    EndpointWatch& operator=(const EndpointWatch&) = delete;

    // False when the system took no registration (nothing will be heard).
    bool registered() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
