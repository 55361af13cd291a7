#include "desktop/results/RowTools.h"

#include "engine/ListText.h"
#include "platform/MessageBox.h"
#include "platform/qt/ByteText.h"
#include "platform/qt/QtTranslation.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>

namespace ryk {

RowTools::RowTools(const OperationList& list, MessageBox& messageBox, QObject* parent)
    : QObject(parent), m_list(list), m_messageBox(messageBox) {}

void RowTools::copyList() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string text = clipboardText(m_list, "\r\n");
    if (!text.empty())
        QGuiApplication::clipboard()->setText(fromBytes(text));
    QGuiApplication::restoreOverrideCursor();
    if (!text.empty())
        m_messageBox.tell(qtTextTranslation().translate(
                              "RowTools", "現在のリストをクリップボードにコピーしました。"),
                          MessageIcon::Information);
}

} // namespace ryk
