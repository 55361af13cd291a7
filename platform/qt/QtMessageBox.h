#pragma once

#include "platform/MessageBox.h"

class QWidget;

namespace ryk {

/// Messages as modal Qt message boxes.
class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : m_parent(parent) {}
    MessageAnswer show(const std::string& text, const std::string& caption, MessageButtons buttons,
                       MessageIcon icon) override;

private:
    QWidget* m_parent;
};

} // namespace ryk
