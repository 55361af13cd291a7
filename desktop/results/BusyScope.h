#pragma once

namespace ryk {

/// A step that a window's own controls must not interrupt, for as long as the scope lives: it
/// holds the window's busy flag up and, where asked, the wait cursor over the application.
class BusyScope {
public:
    enum class Cursor { Unchanged, Wait };

    BusyScope(bool& busy, Cursor cursor);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& m_busy;
    Cursor m_cursor;
};

} // namespace ryk
