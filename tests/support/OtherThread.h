#pragma once

// Whether `call`, run on another thread, ends within `limit`: it cannot while
// this thread holds a lock that it needs. A call that does not end in time
// is left to end on its own once the lock is free, so that a test fails
// instead of hanging.

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

namespace QuillmarkTest {

inline bool EndsOnAnotherThread(std::function<void()> call,
                                std::chrono::seconds limit = std::chrono::seconds(10)) {
    auto ended = std::make_shared<std::promise<void>>();
    std::future<void> done = ended->get_future();
    std::thread([call = std::move(call), ended] {
        call();
        ended->set_value();
    }).detach();
    return done.wait_for(limit) == std::future_status::ready;
}

}  // namespace QuillmarkTest
