#pragma once

#include "app/HistoryList.h"
#include "engine/DateTime.h"
#include "engine/JobSettings.h"
#include "engine/ToolPaths.h"

namespace ryk {

/// What the options sheet edits, one part for each of its pages.
struct OptionsState {
    /// The "オプション" page's part: the job's flag block, its date, its Explorer style,
    /// whether a sync leaves out unchanged files and whether further names become hard links.
    OptionFlags flags;
    DateTime afterDate;
    bool explorerStyle = false;
    bool skipUnchanged = false;
    bool hardLinks = false;
    /// The "履歴" page's part: the main window's five histories.
    Histories histories;
    /// The "エディタ設定" page's part: the external programs.
    ToolPaths tools;
};

} // namespace ryk
