#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>

#include "core/upload/UploadAPI.h"
#include "support/LogServer.h"
#include "support/Sandbox.h"

namespace upload_test {

/// Collects the one result of an upload; safe to outlive the test that made it.
class Completion {
public:
    UploadAPI::CompletionHandler handler()
    {
        return [state = m_state](UploadAPI::Result result) {
            std::lock_guard lock(state->mutex);
            state->thread = std::this_thread::get_id();
            if (++state->calls == 1) state->promise.set_value(std::move(result));
        };
    }
    std::optional<UploadAPI::Result> wait(std::chrono::milliseconds timeout = std::chrono::seconds(30))
    {
        if (m_future.wait_for(timeout) != std::future_status::ready) return std::nullopt;
        return m_future.get();
    }
    int calls() const
    {
        std::lock_guard lock(m_state->mutex);
        return m_state->calls;
    }
    std::thread::id thread() const
    {
        std::lock_guard lock(m_state->mutex);
        return m_state->thread;
    }

private:
    struct State {
        std::mutex mutex;
        std::promise<UploadAPI::Result> promise;
        int calls = 0;
        std::thread::id thread;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
    std::future<UploadAPI::Result> m_future = m_state->promise.get_future();
};

inline std::string randomBytes(std::size_t size, unsigned seed = 7)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xff);
    return bytes;
}

inline std::filesystem::path writeArchive(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
}

inline const UploadAPI::Error* failure(const UploadAPI::Result& result)
{
    return std::get_if<UploadAPI::Error>(&result);
}

/// A sandbox for tests that talk to the build's log server, skipped where the build cannot serve it.
class WithLogServer : public testing::Test {
protected:
    void SetUp() override
    {
        if (!tarvix::test::LogServer::available()) GTEST_SKIP() << tarvix::test::LogServer::skipReason();
    }
    tarvix::test::Sandbox sandbox;
};

}  // namespace upload_test
