#pragma once

#include "engine/AttributeChange.h"
#include "engine/JobSettings.h"

#include <QDialog>
#include <memory>

class QCheckBox;

namespace Ui {
class AttributeWindow;
}

namespace ryk {

/// The "属性変更" window: four three-state attribute boxes, the new date and time of day, and
/// whose files to change. Each box starts in the state the chosen side's files share; only a
/// box the user changes is part of the request.
class AttributeWindow : public QDialog {
    Q_OBJECT
public:
    /// `selected` rows are to be changed; `sourceState` and `targetState` are the boxes' states
    /// over the files of each side (see commonState). In Search and Delete mode only the
    /// sources can be chosen.
    AttributeWindow(TransferMode mode, int selected, const AttributeChoice& sourceState,
                    const AttributeChoice& targetState, QWidget* parent = nullptr);
    ~AttributeWindow() override;

    /// What the window asks for, as its controls stand.
    ChangeRequest request() const;

private:
    ChangeSide side() const;
    /// Puts the boxes in the state of `side`'s files.
    void showState(ChangeSide side);
    void enablePickers();
    QCheckBox* box(AttributeBox which) const;

    std::unique_ptr<Ui::AttributeWindow> m_ui;
    AttributeChoice m_states[2];
};

} // namespace ryk
