#pragma once

#include "desktop/main/Controls.h"

#include <QString>
#include <QWidget>

namespace ryk {

/// A page of the options sheet. It works on copies: what the user changes reaches the values
/// the page hands back only when the sheet ends with OK and calls apply().
class OptionsPage : public QWidget {
public:
    using QWidget::QWidget;

    /// Takes the controls' values as the page's result (the sheet's OK).
    virtual void apply() = 0;
    /// The help topic that explains the page ("option.htm", ...).
    virtual QString helpTopic() const = 0;

    /// The page's control with the given id; null when there is none.
    QWidget* control(int id) const { return controlById(this, id); }
};

} // namespace ryk
