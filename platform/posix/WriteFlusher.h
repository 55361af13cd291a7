#pragma once

#include "platform/posix/UniqueFd.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <sys/types.h>
#include <thread>

namespace ryk {

/// Puts a run's writes on disk while the run goes on writing: a thread flushes every file
/// system written to (syncfs) a moment after the last flush ended, as long as something was
/// written since, so that the flush that ends the run finds little left to do. Only finish()
/// promises anything; the flushes before it only take work off it.
class WriteFlusher {
public:
    WriteFlusher() = default;
    ~WriteFlusher();
    WriteFlusher(const WriteFlusher&) = delete;
    WriteFlusher& operator=(const WriteFlusher&) = delete;

    /// Something is about to be written.
    void wrote() { m_dirty.store(true, std::memory_order_relaxed); }
    bool has(dev_t device);
    /// Adds the file system `device`, through its open directory `dir`.
    void add(dev_t device, UniqueFd dir);
    /// Stops the flushes in the background and flushes every file system once more; then forgets
    /// them. 0, or the first error of this or an earlier flush since the last finish().
    int finish();

private:
    void flushInBackground();
    void stop();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    /// Only grows while the thread runs, so that the descriptors it flushes stay open.
    std::map<dev_t, UniqueFd> m_fileSystems;
    std::thread m_thread;
    bool m_stopping = false;
    int m_error = 0;
    std::atomic<bool> m_dirty{false};
};

} // namespace ryk
