#pragma once

#include "platform/FileBatch.h"

#include <memory>

class QProgressDialog;
class QWidget;

namespace ryk {

/// The progress of a batch file operation as a progress dialog with a Cancel button; it comes
/// up only when the batch takes a while.
class QtBatchProgress : public BatchProgress {
public:
    explicit QtBatchProgress(QWidget* parent = nullptr);
    ~QtBatchProgress() override;
    QtBatchProgress(const QtBatchProgress&) = delete;
    QtBatchProgress& operator=(const QtBatchProgress&) = delete;

    bool step(size_t index, size_t count, const std::string& source) override;
    void finished() override;

private:
    QWidget* m_parent;
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace ryk
