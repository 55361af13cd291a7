#pragma once

#include "platform/FileCopy.h"
#include "platform/FileSystem.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace ryk {

/// A few threads that copy small files beside the run's own. A small file's copy is mostly
/// the making of its inode, under its directory's lock: copies into different directories go
/// at once, those into one directory one after another.
class CopyCrew {
public:
    struct Job {
        TreePath source;
        TreePath target;
        PlannedTarget planned;
        CopyOutcome outcome;
    };
    /// The jobs (indices into the jobs) that one thread copies in their order.
    using Lane = std::vector<size_t>;

    /// Copies with `fileSystem`, as many at once as it allows (the caller's thread included).
    explicit CopyCrew(FileSystem& fileSystem);
    ~CopyCrew();
    CopyCrew(const CopyCrew&) = delete;
    CopyCrew& operator=(const CopyCrew&) = delete;

    /// Whether copies go several at once at all.
    bool helps() const { return m_copiers > 1; }
    /// Copies every job of every lane (each gets its outcome), the calling thread taking its
    /// share; returns once all are done.
    void copyAll(std::vector<Job>& jobs, const std::vector<Lane>& lanes);

private:
    void work();
    /// Copies lanes while there are any left to take; `lock` is held between them.
    void copyWhileAny(std::unique_lock<std::mutex>& lock);

    FileSystem& m_fileSystem;
    unsigned m_copiers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::vector<Job>* m_jobs = nullptr;
    const std::vector<Lane>* m_lanes = nullptr;
    size_t m_nextLane = 0;
    size_t m_finishedLanes = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace ryk
