#pragma once

#include <QCheckBox>

namespace ryk {

/// A three-state check box whose click goes from clear to set to "leave alone" and back to
/// clear, so that one click on a clear box sets it.
class TriStateBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {
        switch (checkState()) {
        case Qt::Unchecked:
            setCheckState(Qt::Checked);
            break;
        case Qt::Checked:
            setCheckState(Qt::PartiallyChecked);
            break;
        case Qt::PartiallyChecked:
            setCheckState(Qt::Unchecked);
            break;
        }
    }
};

} // namespace ryk
