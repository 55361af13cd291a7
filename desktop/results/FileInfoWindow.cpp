#include "desktop/results/FileInfoWindow.h"

#include "engine/OperationEntry.h"
#include "platform/qt/ByteText.h"
#include "ui_FileInfoWindow.h"

#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

namespace ryk {

namespace {

constexpr int kIconSize = 32;

} // namespace

FileInfoWindow::FileInfoWindow(const Platform& platform, const OperationEntry& entry,
                               QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::FileInfoWindow>()), m_platform(platform),
      m_info(describeEntry(entry, m_platform.fileSystem)), m_sourcePath(entry.source.foundPath()),
      m_targetPath(entry.target().foundPath()) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // The attribute letters stand in fixed places.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_ui->sourceAttributesEdit->setFont(fixed);
    m_ui->targetAttributesEdit->setFont(fixed);
    showFacts(m_info.source, true);
    showFacts(m_info.target, false);

    // The bar takes the result field's place while the comparison runs; the window keeps its
    // size whichever of the two shows.
    for (QWidget* widget :
         {static_cast<QWidget*>(m_ui->resultEdit), static_cast<QWidget*>(m_ui->progressBar)}) {
        QSizePolicy policy = widget->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        widget->setSizePolicy(policy);
    }
    m_ui->progressBar->hide();
    if (m_info.isPending()) {
        m_ui->resultEdit->hide();
        m_ui->compareButton->setVisible(m_info.offersComparison());
    } else {
        m_ui->compareButton->hide();
        m_ui->resultEdit->setText(fromBytes(m_info.errorText()));
    }
    showIcon(m_ui->sourceIcon, m_sourcePath);
    showIcon(m_ui->targetIcon, m_targetPath);

    connect(m_ui->compareButton, &QPushButton::clicked, this, &FileInfoWindow::compare);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

FileInfoWindow::~FileInfoWindow() = default;

void FileInfoWindow::showRows(const Platform& platform, const OperationList& list,
                              const QList<int>& rows, QWidget* parent) {
    for (const int row : rows) {
        const OperationEntry* entry = list.at(static_cast<size_t>(row));
        if (!entry)
            continue;
        FileInfoWindow window(platform, *entry, parent);
        window.exec();
    }
}

void FileInfoWindow::showFacts(const FactsTexts& texts, bool source) {
    Ui::FileInfoWindow& ui = *m_ui;
    (source ? ui.sourcePathEdit : ui.targetPathEdit)->setText(fromBytes(texts.path));
    (source ? ui.sourceDateEdit : ui.targetDateEdit)->setText(fromBytes(texts.date));
    (source ? ui.sourceAttributesEdit : ui.targetAttributesEdit)
        ->setText(fromBytes(texts.attributes));
    (source ? ui.sourceSizeEdit : ui.targetSizeEdit)->setText(fromBytes(texts.size));
}

void FileInfoWindow::showIcon(QLabel* label, const std::string& path) {
    if (path.empty())
        return;
    const QString name = fromBytes(path);
    const QFileIconProvider icons;
    QIcon icon;
    if (QFile::encodeName(name).toStdString() == path) {
        icon = icons.icon(QFileInfo(name));
    } else {
        // Qt reaches files through UTF-8 names only: the kind says which icon.
        std::error_code ignored;
        icon =
            icons.icon(std::filesystem::is_directory(std::filesystem::symlink_status(path, ignored))
                           ? QAbstractFileIconProvider::Folder
                           : QAbstractFileIconProvider::File);
    }
    label->setPixmap(icon.pixmap(kIconSize, kIconSize));
}

void FileInfoWindow::compare() {
    if (m_comparing || !m_info.offersComparison() || !m_ui->compareButton->isEnabled())
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_comparing = true;
    m_ui->compareButton->setEnabled(false);
    m_ui->okButton->setEnabled(false);

    constexpr uint64_t kBarLimit = std::numeric_limits<int>::max();
    m_barShift = 0;
    while ((m_info.sourceLength >> m_barShift) > kBarLimit)
        ++m_barShift;
    m_ui->progressBar->setRange(0,
                                std::max(1, static_cast<int>(m_info.sourceLength >> m_barShift)));
    m_ui->progressBar->setValue(0);
    m_ui->progressBar->show();

    const CompareResult result = compareFiles(m_platform, m_sourcePath, m_targetPath, this);

    m_ui->progressBar->hide();
    m_ui->resultEdit->setText(fromBytes(compareResultText(result, m_platform.translation)));
    m_ui->resultEdit->show();
    m_ui->okButton->setEnabled(true);
    m_ui->okButton->setFocus();
    m_comparing = false;
    QGuiApplication::restoreOverrideCursor();
}

void FileInfoWindow::done(int result) {
    if (!m_comparing)
        QDialog::done(result);
}

void FileInfoWindow::compared(uint64_t bytes) {
    const uint64_t shown = std::min(bytes, m_info.sourceLength);
    m_ui->progressBar->setValue(static_cast<int>(shown >> m_barShift));
}

} // namespace ryk
