#pragma once

#include "engine/AttributeChange.h"
#include "engine/JobSettings.h"

#include <QDialog>
#include <array>
#include <memory>

class QCheckBox;

namespace Ui {
class AttributeWindow;
}

namespace ryk {

/// The "属性変更" window: four three-state attribute boxes, the new date and time of day, and
/// whose files to change. Each box shows the state the chosen side's files share until the
/// user changes it; then it keeps the user's choice, also when the other side is chosen. Only
/// a box that differs from its side's state is part of the request.
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
    /// Puts the boxes the user has not changed in the state of `side`'s files.
    void showState(ChangeSide side);
    void enablePickers();
    QCheckBox* box(AttributeBox which) const;

    std::unique_ptr<Ui::AttributeWindow> m_ui;
    AttributeChoice m_states[2];
    std::array<bool, kAttributeBoxCount> m_chosen{};
};

} // namespace ryk
