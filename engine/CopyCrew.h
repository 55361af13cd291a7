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
    /// Starts copying the lanes in their order on the crew's own threads, each lane once the
    /// caller said that `after[i]` of its steps are done (all at once when `after` is empty),
    /// while the calling thread takes those steps (made()). The jobs and lanes must last until
    /// finish() returns.
    void start(std::vector<Job>& jobs, const std::vector<Lane>& lanes, std::vector<size_t> after);
    /// `steps` of the caller's steps are done.
    void made(size_t steps);
    /// The caller is done with its steps: it copies its share of the lanes left, and returns
    /// once all are done.
    void finish();

private:
    void work();
    bool nextLaneReady() const {
        return m_lanes && m_nextLane < m_lanes->size() &&
               (m_after.empty() || m_after[m_nextLane] <= m_made);
    }
    /// Copies lanes while the next one may be taken; `lock` is held between them.
    void copyWhileAny(std::unique_lock<std::mutex>& lock);

    FileSystem& m_fileSystem;
    unsigned m_copiers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::vector<Job>* m_jobs = nullptr;
    const std::vector<Lane>* m_lanes = nullptr;
    std::vector<size_t> m_after;
    size_t m_made = 0;
    size_t m_nextLane = 0;
    size_t m_finishedLanes = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace ryk
