// Addresses on their way from one thread to another: the account-information
// worker leaves the page address here for the web page panel, and the panel
// takes it on its own thread when it is told that something is waiting.
// Nothing but text travels this way; the notification itself carries no
// data, so a notification from anywhere else finds nothing to take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class AddressQueue {
public:
    // Leaves `address` for the receiver `target` (a window handle's value).
    void push(std::uintptr_t target, std::string address);
    // The addresses left for `target`, oldest first; they are gone from the
    // queue afterwards.
    std::vector<std::string> take(std::uintptr_t target);
    // Forgets everything left for `target`.
    void drop(std::uintptr_t target);
    std::size_t size() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<std::uintptr_t, std::string>> entries_;
};
