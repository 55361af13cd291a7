#pragma once

#include "platform/Platform.h"

#include <memory>

class QWidget;

namespace ryk {

class ResultWindow;
class SearchWindow;
class TransferJob;

/// Makes the result window of one job. The job is stated through job(); plan() then plans it
/// while the search window shows progress and, unless the plan was abandoned, hands the job to
/// a new window, filled and with its tools connected, for the caller to run modally.
class ResultWindowFactory {
public:
    /// `owner` becomes the window's parent; meanwhile the search window is centred over it.
    explicit ResultWindowFactory(const Platform& platform, QWidget* owner = nullptr);
    ~ResultWindowFactory();
    ResultWindowFactory(const ResultWindowFactory&) = delete;
    ResultWindowFactory& operator=(const ResultWindowFactory&) = delete;

    /// The job to state (takeJob) before plan(). It stays here, its list empty, when the plan
    /// was abandoned; a window takes it otherwise.
    TransferJob& job() { return *m_job; }
    /// The window the plan shows its progress in; a window takes it with the job.
    SearchWindow& searchWindow() { return *m_searchWindow; }

    /// Plans the job and makes its window, not shown yet; null when the plan was abandoned (its
    /// entries are then destroyed). Once only.
    [[nodiscard]] std::unique_ptr<ResultWindow> plan();

private:
    Platform m_platform;
    QWidget* m_owner;
    std::unique_ptr<SearchWindow> m_searchWindow;
    std::unique_ptr<TransferJob> m_job;
};

} // namespace ryk
