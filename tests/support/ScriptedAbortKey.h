#pragma once

#include "platform/AbortKey.h"

#include <deque>

namespace ryk::test {

/// Stands in for the keys a user presses during a long step: the scripted events come one per
/// poll, optionally after a number of quiet polls.
class ScriptedAbortKey : public AbortKey {
public:
    AbortKeyEvent poll() override {
        ++polls;
        if (quietPolls > 0) {
            --quietPolls;
            return AbortKeyEvent::None;
        }
        if (events.empty())
            return AbortKeyEvent::None;
        const AbortKeyEvent e = events.front();
        events.pop_front();
        return e;
    }

    std::deque<AbortKeyEvent> events;
    int quietPolls = 0;
    int polls = 0;
};

} // namespace ryk::test
