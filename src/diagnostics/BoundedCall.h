#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

// Runs call on a thread of its own and waits for its result at most limit.
// A call that has not returned by then is left to finish on its own (a name
// look-up cannot be cancelled); its result is dropped. Where no thread can be
// started, the call runs on the caller's thread.
template <typename Result>
std::optional<Result> callWithin(std::function<Result()> call, std::chrono::milliseconds limit)
{
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Result> result;
    };
    const auto shared = std::make_shared<Shared>();
    try {
        std::thread([shared, call] {
            Result result = call();
            const std::lock_guard<std::mutex> lock(shared->mutex);
            shared->result = std::move(result);
            shared->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return call();
    }
    std::unique_lock<std::mutex> lock(shared->mutex);
    shared->done.wait_for(lock, limit, [&] { return shared->result.has_value(); });
    return shared->result;
}
