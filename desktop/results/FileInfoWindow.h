#pragma once

#include "engine/FileCompare.h"
#include "engine/FileInformation.h"
#include "platform/Platform.h"

#include <QDialog>
#include <QList>
#include <memory>
#include <string>

class QLabel;

namespace Ui {
class FileInfoWindow;
}

namespace ryk {

class OperationEntry;
class OperationList;

/// The "ファイル情報" window of one entry: the facts of its source and destination side by side
/// and, before the entry has run, the comparison of the two files; after a run, the system's
/// text of the error it recorded.
class FileInfoWindow : public QDialog, public CompareProgress {
    Q_OBJECT
public:
    /// Shows `entry`; it is read here and not kept.
    FileInfoWindow(const Platform& platform, const OperationEntry& entry,
                   QWidget* parent = nullptr);
    ~FileInfoWindow() override;

    /// Opens the window of each of `rows` of `list` (ascending), one after the other, modally.
    static void showRows(const Platform& platform, const OperationList& list,
                         const QList<int>& rows, QWidget* parent);

    /// Compares the two files and shows the result (the "比較..." button); once per window.
    void compare();

    /// Closing is refused while the comparison runs.
    void done(int result) override;

protected:
    void compared(uint64_t bytes) override;

private:
    void showFacts(const FactsTexts& texts, bool source);
    void showIcon(QLabel* label, const std::string& path);

    std::unique_ptr<Ui::FileInfoWindow> m_ui;
    Platform m_platform;
    FileInformation m_info;
    /// Where the files were found; empty for a side that was not.
    std::string m_sourcePath;
    std::string m_targetPath;
    /// Bits the byte counts are shifted right by to fit the bar's int range.
    int m_barShift = 0;
    bool m_comparing = false;
};

} // namespace ryk
