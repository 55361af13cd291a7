#include "platform/posix/WriteFlusher.h"

#include <cerrno>
#include <chrono>
#include <unistd.h>
#include <vector>

namespace ryk {

namespace {

/// Long enough that a flush takes a batch of files, short enough that the disk keeps busy.
constexpr std::chrono::milliseconds kPause{50};

} // namespace

WriteFlusher::~WriteFlusher() {
    stop();
}

bool WriteFlusher::has(dev_t device) {
    const std::lock_guard lock(m_mutex);
    return m_fileSystems.count(device) != 0;
}

void WriteFlusher::add(dev_t device, UniqueFd dir) {
    const std::lock_guard lock(m_mutex);
    m_fileSystems.emplace(device, std::move(dir));
    if (!m_thread.joinable()) {
        m_stopping = false;
        m_thread = std::thread([this] { flushInBackground(); });
    }
}

void WriteFlusher::flushInBackground() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait_for(lock, kPause, [this] { return m_stopping; });
        if (m_stopping)
            return;
        if (!m_dirty.exchange(false, std::memory_order_relaxed))
            continue;
        std::vector<int> dirs;
        for (const auto& [device, dir] : m_fileSystems)
            dirs.push_back(dir.get());
        lock.unlock();
        int error = 0;
        for (const int dir : dirs)
            if (syncfs(dir) != 0 && error == 0)
                error = errno;
        lock.lock();
        // A write error is told once per descriptor: the flush at the end would not see it.
        if (m_error == 0)
            m_error = error;
    }
}

void WriteFlusher::stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

int WriteFlusher::finish() {
    stop();
    int first = m_error;
    for (const auto& [device, dir] : m_fileSystems)
        if (syncfs(dir.get()) != 0 && first == 0)
            first = errno;
    m_fileSystems.clear();
    m_error = 0;
    m_dirty.store(false, std::memory_order_relaxed);
    return first;
}

} // namespace ryk
