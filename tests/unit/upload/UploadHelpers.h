#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/upload/UploadAPI.h"
#include "core/workspace/TextBinding.h"

namespace upload_test {

/// Collects the one result of an upload; safe to outlive the test that made it.
class Completion {
public:
    UploadAPI::CompletionHandler handler()
    {
        return [state = m_state](UploadAPI::Result result) {
            std::lock_guard lock(state->mutex);
            ++state->calls;
            state->thread = std::this_thread::get_id();
            if (state->calls == 1)
                state->promise.set_value(std::move(result));
        };
    }
    std::optional<UploadAPI::Result> wait(std::chrono::milliseconds timeout = std::chrono::seconds(30))
    {
        if (m_future.wait_for(timeout) != std::future_status::ready)
            return std::nullopt;
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

/// The window's status text, as far as the upload can tell: every text written, in order.
class RecordingCell : public tarvix::TextCell {
public:
    explicit RecordingCell(std::string text = {}) : m_text(std::move(text)) {}
    std::string text() const override
    {
        std::lock_guard lock(m_mutex);
        return m_text;
    }
    void setText(std::string text) override
    {
        std::lock_guard lock(m_mutex);
        m_text = text;
        m_writes.push_back(std::move(text));
    }
    std::vector<std::string> writes() const
    {
        std::lock_guard lock(m_mutex);
        return m_writes;
    }

private:
    mutable std::mutex m_mutex;
    std::string m_text;
    std::vector<std::string> m_writes;
};

inline std::string randomBytes(std::size_t size, unsigned seed = 7)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random() & 0xff);
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

}  // namespace upload_test
