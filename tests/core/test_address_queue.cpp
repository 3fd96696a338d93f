// The queue that carries page addresses from the worker to the web page panel.
#include "service/address_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using Addresses = std::vector<std::string>;

TEST(AddressQueue, EachReceiverTakesOnlyItsOwnAddressesInOrder) {
    AddressQueue queue;
    queue.push(1, "http://a/1");
    queue.push(2, "http://b/1");
    queue.push(1, "");
    queue.push(1, "http://a/2");

    EXPECT_EQ(queue.take(3), Addresses{});
    EXPECT_EQ(queue.take(1), (Addresses{"http://a/1", "", "http://a/2"}));
    EXPECT_EQ(queue.take(1), Addresses{});  // taken once only
    EXPECT_EQ(queue.size(), 1u);

    queue.drop(2);
    EXPECT_EQ(queue.take(2), Addresses{});
    EXPECT_EQ(queue.size(), 0u);
}

TEST(AddressQueue, AddressesPushedFromManyThreadsAllArriveOnce) {
    AddressQueue queue;
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    std::vector<std::thread> pushers;
    Addresses taken;
    for (int t = 0; t < kThreads; ++t) {
        pushers.emplace_back([&queue, t] {
            for (int i = 0; i < kEach; ++i) queue.push(7, std::to_string(t) + "/" + std::to_string(i));
        });
    }
    // Taken while the others still push.
    for (int round = 0; round < 100; ++round) {
        for (std::string& address : queue.take(7)) taken.push_back(std::move(address));
    }
    for (std::thread& pusher : pushers) pusher.join();
    for (std::string& address : queue.take(7)) taken.push_back(std::move(address));

    ASSERT_EQ(taken.size(), static_cast<std::size_t>(kThreads * kEach));
    // Each thread's addresses keep their order.
    std::vector<int> next(kThreads, 0);
    for (const std::string& address : taken) {
        const int t = std::stoi(address);
        EXPECT_EQ(address, std::to_string(t) + "/" + std::to_string(next[t]++));
    }
}

}  // namespace
