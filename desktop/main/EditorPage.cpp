#include "desktop/main/EditorPage.h"

#include "desktop/main/OptionsState.h"
#include "platform/qt/ByteText.h"
#include "ui_EditorPage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace ryk {

namespace {

/// An open-file dialog for an existing program. Linux marks programs by their execute
/// permission, not by a name extension, so no name pattern tells them apart: both choices of
/// file type list every file.
QString pickProgramFile(QWidget* owner, const QString& title, const QString& current) {
    QFileDialog dialog(owner, title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters({QCoreApplication::translate("EditorPage", "実行ファイル (*)"),
                           QCoreApplication::translate("EditorPage", "すべてのファイル (*)")});
    const QFileInfo start(current);
    if (!current.isEmpty() && start.absoluteDir().exists()) {
        dialog.setDirectory(start.absolutePath());
        if (start.isFile())
            dialog.selectFile(start.absoluteFilePath());
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : QDir::cleanPath(chosen.front());
}

} // namespace

EditorPage::EditorPage(QWidget* parent)
    : OptionsPage(parent), m_ui(std::make_unique<Ui::EditorPage>()),
      m_pickProgram([this](const QString& title, const QString& current) {
          return pickProgramFile(this, title, current);
      }) {
    m_ui->setupUi(this);
    connect(m_ui->binaryBrowse, &QPushButton::clicked, this, [this] {
        PickProgram(*m_ui->binaryPath,
                    QCoreApplication::translate("EditorPage", "バイナリエディタの設定"));
    });
    connect(m_ui->textBrowse, &QPushButton::clicked, this, [this] {
        PickProgram(*m_ui->textPath,
                    QCoreApplication::translate("EditorPage", "テキストエディタの設定"));
    });
    connect(m_ui->comparisonBrowse, &QPushButton::clicked, this, [this] {
        PickProgram(*m_ui->comparisonPath,
                    QCoreApplication::translate("EditorPage", "比較用プログラムの設定"));
    });
}

EditorPage::~EditorPage() = default;

void EditorPage::load(const OptionsState& options) {
    m_ui->binaryPath->setText(fromBytes(options.tools.binaryEditor));
    m_ui->textPath->setText(fromBytes(options.tools.textEditor));
    m_ui->comparisonPath->setText(fromBytes(options.tools.comparisonProgram));
}

void EditorPage::store(OptionsState& options) const {
    options.tools.binaryEditor = toBytes(m_ui->binaryPath->text());
    options.tools.textEditor = toBytes(m_ui->textPath->text());
    options.tools.comparisonProgram = toBytes(m_ui->comparisonPath->text());
}

void EditorPage::PickProgram(QLineEdit& path, const QString& title) {
    const QString chosen = m_pickProgram(title, path.text());
    if (!chosen.isEmpty())
        path.setText(chosen);
}

} // namespace ryk
