#pragma once

#include "desktop/main/Controls.h"

#include <QString>
#include <QWidget>

namespace ryk {

struct OptionsState;

/// A page of the options sheet: it shows its own part of the options the sheet edits, and
/// writes what the user made of it back into that part when the sheet ends with OK.
class OptionsPage : public QWidget {
public:
    using QWidget::QWidget;

    /// Shows the page's part of `options` in its controls.
    virtual void load(const OptionsState& options) = 0;
    /// Puts the controls' values into the page's part of `options` (the sheet's OK).
    virtual void store(OptionsState& options) const = 0;
    /// The help topic that explains the page ("option.htm", ...).
    virtual QString helpTopic() const = 0;

    /// The page's control with the given id; null when there is none.
    QWidget* control(int id) const { return controlById(this, id); }
};

} // namespace ryk
