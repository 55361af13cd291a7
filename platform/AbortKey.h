#pragma once

namespace ryk {

/// What the keyboard said since the last poll.
enum class AbortKeyEvent { None, EscapeReleased, ControlDown };

/// Looks for the keys that stop a long scan or run, without waiting.
class AbortKey {
public:
    virtual ~AbortKey() = default;
    virtual AbortKeyEvent poll() = 0;
};

} // namespace ryk
