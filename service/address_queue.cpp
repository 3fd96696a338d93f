#include "service/address_queue.h"

#include <algorithm>

void AddressQueue::push(std::uintptr_t target, std::string address) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.emplace_back(target, std::move(address));
}

std::vector<std::string> AddressQueue::take(std::uintptr_t target) {
    std::vector<std::string> taken;
    std::vector<std::pair<std::uintptr_t, std::string>> others;
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& entry : entries_) {
        if (entry.first == target) {
            taken.push_back(std::move(entry.second));
        } else {
            others.push_back(std::move(entry));
        }
    }
    entries_.swap(others);
    return taken;
}

void AddressQueue::drop(std::uintptr_t target) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [target](const auto& entry) { return entry.first == target; }),
                   entries_.end());
}

std::size_t AddressQueue::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}
