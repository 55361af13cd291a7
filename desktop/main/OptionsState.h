#pragma once

#include "app/HistoryList.h"
#include "engine/DateTime.h"
#include "engine/JobSettings.h"
#include "engine/ToolPaths.h"

namespace ryk {

/// What the options sheet edits, one part for each of its pages.
struct OptionsState {
    /// The "オプション" page's part: the job's flag block, its date, its Explorer style and
    /// whether a sync leaves out unchanged files, deletions go to the trash, copies are read
    /// back, further names become hard links and a long run tells the desktop how it ended.
    OptionFlags flags;
    DateTime afterDate;
    bool explorerStyle = false;
    bool skipUnchanged = false;
    bool trash = false;
    bool verify = false;
    bool hardLinks = false;
    /// Whether a long run that ends unwatched tells the desktop.
    bool noticeLongRuns = false;
    /// The "履歴" page's part: the main window's five histories.
    Histories histories;
    /// The "エディタ設定" page's part: the external programs.
    ToolPaths tools;
};

} // namespace ryk
