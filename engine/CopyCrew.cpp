#include "engine/CopyCrew.h"

#include <algorithm>

namespace ryk {

CopyCrew::CopyCrew(FileSystem& fileSystem)
    : m_fileSystem(fileSystem), m_copiers(std::max(1u, fileSystem.copiesAtOnce())) {}

CopyCrew::~CopyCrew() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void CopyCrew::start(std::vector<Job>& jobs, const std::vector<Lane>& lanes,
                     std::vector<size_t> after) {
    const std::lock_guard lock(m_mutex);
    // The threads start with the first jobs: a run without small files needs none.
    while (m_threads.size() + 1 < m_copiers)
        m_threads.emplace_back([this] { work(); });
    m_jobs = &jobs;
    m_lanes = &lanes;
    m_after = std::move(after);
    m_made = 0;
    m_nextLane = 0;
    m_finishedLanes = 0;
    m_wake.notify_all();
}

void CopyCrew::made(size_t steps) {
    {
        const std::lock_guard lock(m_mutex);
        m_made = steps;
    }
    m_wake.notify_all();
}

void CopyCrew::finish() {
    std::unique_lock lock(m_mutex);
    m_after.clear();
    m_wake.notify_all();
    copyWhileAny(lock);
    m_done.wait(lock, [&] { return m_finishedLanes == m_lanes->size(); });
    m_jobs = nullptr;
    m_lanes = nullptr;
}

void CopyCrew::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || nextLaneReady(); });
        if (m_stopping)
            return;
        copyWhileAny(lock);
    }
}

void CopyCrew::copyWhileAny(std::unique_lock<std::mutex>& lock) {
    while (nextLaneReady()) {
        const Lane& lane = (*m_lanes)[m_nextLane++];
        std::vector<Job>& jobs = *m_jobs;
        lock.unlock();
        for (const size_t index : lane) {
            Job& job = jobs[index];
            job.outcome = copyWholeFile(m_fileSystem, job.source, job.target, job.planned, nullptr);
        }
        lock.lock();
        if (++m_finishedLanes == m_lanes->size())
            m_done.notify_all();
    }
}

} // namespace ryk
