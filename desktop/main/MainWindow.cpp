#include "desktop/main/MainWindow.h"

#include "app/ModeRules.h"
#include "app/SettingsFile.h"
#include "desktop/main/AboutWindow.h"
#include "desktop/main/Controls.h"
#include "desktop/main/HelpWindow.h"
#include "desktop/main/HistoryComboBox.h"
#include "desktop/main/OptionsSheet.h"
#include "desktop/main/OptionsState.h"
#include "desktop/results/ResultWindow.h"
#include "desktop/results/ResultWindowFactory.h"
#include "desktop/results/RowImages.h"
#include "engine/TransferJob.h"
#include "platform/MessageBox.h"
#include "platform/qt/ByteText.h"
#include "ui_MainWindow.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>

namespace ryk {

namespace {

/// A control's visible text as (the start of) its name: without the mnemonic and the wildcard
/// hint, so that a user who reads the label can say it.
QString labelText(QString text) {
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)"));
    text.remove(mnemonic);
    text.remove(QLatin1Char('&'));
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? text : text.left(tab);
}

/// The box that shows `field` of the job; 0 for none.
int controlShowing(JobField field) {
    switch (field) {
    case JobField::SourceDirectory:
        return kSourceBox;
    case JobField::DestinationDirectory:
        return kDestinationBox;
    case JobField::None:
        break;
    }
    return 0;
}

constexpr int kInputs[] = {kSourceBox,         kSourceBrowse,           kPatternBox,
                           kExclusionBox,      kCreateDestinationCheck, kDestinationBox,
                           kDestinationBrowse, kDestinationPatternBox};

} // namespace

MainWindow::MainWindow(const Platform& platform, JobSettings& job, SettingsFile& settings,
                       HelpDesk& help, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::MainWindow>()), m_platform(platform), m_job(job),
      m_settings(settings), m_help(help), m_runResultWindow([](ResultWindow& window) {
          // Modal to this window only: an open help window keeps taking input.
          window.setWindowModality(Qt::WindowModal);
          window.exec();
      }),
      m_runOptionsSheet([](OptionsSheet& sheet) {
          sheet.setWindowModality(Qt::WindowModal);
          return sheet.exec();
      }) {
    m_ui->setupUi(this);
    // A window of its own in the task bar, with a close box but no minimize or maximize box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(RowImages::programIcon());
    setUpMenu();
    setUpAccessibleNames();

    m_ui->sourceBox->setAcceptsDirectories(true);
    m_ui->destinationBox->setAcceptsDirectories(true);
    m_ui->patternBox->setDropsFullPath(m_job.mode == TransferMode::Response);
    FillHistories();
    m_job.skipUnchanged = m_settings.skipUnchanged();
    m_job.trash = m_settings.trash();
    m_job.verify = m_settings.verify();
    m_job.hardLinks = m_settings.hardLinks();
    AdjustFlagsForMode(true);
    EnableControlsForMode();
    ShowStartValues();

    connect(m_ui->executeButton, &QPushButton::clicked, this, &MainWindow::OnExecute);
    connect(m_ui->optionsButton, &QPushButton::clicked, this, &MainWindow::OnOptions);
    connect(m_ui->sourceBrowseButton, &QPushButton::clicked, this, &MainWindow::OnBrowseSource);
    connect(m_ui->destinationBrowseButton, &QPushButton::clicked, this,
            &MainWindow::OnBrowseDestination);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &MainWindow::accept);
    connect(m_ui->modeList, &QComboBox::activated, this, &MainWindow::OnModeChange);
    setFixedSize(width(), sizeHint().height());
}

MainWindow::~MainWindow() = default;

HistoryComboBox& MainWindow::box(HistoryKind kind) const {
    switch (kind) {
    case HistoryKind::SourceDirectory:
        return *m_ui->sourceBox;
    case HistoryKind::SourcePatterns:
        return *m_ui->patternBox;
    case HistoryKind::ExclusionPatterns:
        return *m_ui->exclusionBox;
    case HistoryKind::DestinationDirectory:
        return *m_ui->destinationBox;
    case HistoryKind::DestinationPattern:
        break;
    }
    return *m_ui->destinationPatternBox;
}

void MainWindow::setUpMenu() {
    // Linux has no system menu to extend: help and about live behind a small menu button.
    auto* menu = new QMenu(this);
    QAction* help = menu->addAction(QCoreApplication::translate("MainWindow", "ヘルプ(&H)..."));
    help->setShortcut(QKeySequence::HelpContents);
    help->setShortcutContext(Qt::WindowShortcut);
    addAction(help);
    QAction* about =
        menu->addAction(QCoreApplication::translate("MainWindow", "Rykmere について(&A)..."));
    m_ui->menuButton->setMenu(menu);
    connect(help, &QAction::triggered, this, [this] { m_help.openStart(this); });
    connect(about, &QAction::triggered, this, [this] {
        AboutWindow window(this);
        window.setWindowModality(Qt::WindowModal);
        window.exec();
    });
}

void MainWindow::setUpAccessibleNames() {
    for (QLabel* label : findChildren<QLabel*>())
        if (QWidget* buddy = label->buddy())
            buddy->setAccessibleName(labelText(label->text()));
    // The two Browse buttons read alike: what each one picks follows its visible text.
    const auto nameBrowse = [](QPushButton* button, const QString& purpose) {
        button->setAccessibleName(
            QStringLiteral("%1 (%2)").arg(labelText(button->text()), purpose));
    };
    nameBrowse(m_ui->sourceBrowseButton,
               QCoreApplication::translate("MainWindow", "更新元のディレクトリを選ぶ"));
    nameBrowse(m_ui->destinationBrowseButton,
               QCoreApplication::translate("MainWindow", "更新先のディレクトリを選ぶ"));
    m_ui->menuButton->setAccessibleName(QCoreApplication::translate("MainWindow", "ヘルプ"));
}

void MainWindow::FillHistories() {
    for (size_t i = 0; i < kHistoryKindCount; ++i) {
        const auto kind = static_cast<HistoryKind>(i);
        HistoryList list;
        list.load(m_settings, sectionOf(kind));
        box(kind).setHistory(list);
    }
    for (int mode = 0; mode <= static_cast<int>(TransferMode::Sync); ++mode)
        m_ui->modeList->addItem(QString::fromStdString(
            modeName(static_cast<TransferMode>(mode), m_platform.translation)));
}

void MainWindow::SaveHistories() {
    for (size_t i = 0; i < kHistoryKindCount; ++i) {
        const auto kind = static_cast<HistoryKind>(i);
        box(kind).history().save(m_settings, sectionOf(kind));
    }
}

void MainWindow::accept() {
    SaveHistories();
    QDialog::accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && focusWidget() == m_ui->menuButton) {
        m_ui->menuButton->showMenu();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainWindow::AdjustFlagsForMode(bool keep) {
    adjustFlagsForMode(m_job.flags, m_job.mode, keep);
}

void MainWindow::EnableControlsForMode() {
    for (const int control : kInputs) {
        // A browse button goes with its box.
        const int input = control == kSourceBrowse        ? kSourceBox
                          : control == kDestinationBrowse ? kDestinationBox
                                                          : control;
        if (QWidget* widget = controlById(this, control))
            widget->setEnabled(isInputEnabled(m_job.mode, input));
    }
}

void MainWindow::ShowStartValues() {
    m_ui->sourceBox->setEditText(fromBytes(m_job.sourceDirectory));
    m_ui->patternBox->setEditText(fromBytes(m_job.sourcePatterns));
    m_ui->exclusionBox->setEditText(fromBytes(m_job.exclusionPatterns));
    m_ui->destinationBox->setEditText(fromBytes(m_job.destinationDirectory));
    m_ui->destinationPatternBox->setEditText(fromBytes(m_job.destinationPattern));
    m_ui->modeList->setCurrentIndex(static_cast<int>(m_job.mode));
    m_ui->createDestinationCheck->setChecked(m_job.createDestination);
}

void MainWindow::takeControlValues() {
    m_job.sourceDirectory = toBytes(m_ui->sourceBox->currentText());
    m_job.sourcePatterns = toBytes(m_ui->patternBox->currentText());
    m_job.exclusionPatterns = toBytes(m_ui->exclusionBox->currentText());
    m_job.destinationDirectory = toBytes(m_ui->destinationBox->currentText());
    m_job.destinationPattern = toBytes(m_ui->destinationPatternBox->currentText());
    m_job.createDestination = m_ui->createDestinationCheck->isChecked();
    const int mode = m_ui->modeList->currentIndex();
    if (mode >= 0)
        m_job.mode = static_cast<TransferMode>(mode);
}

void MainWindow::OnModeChange(int) {
    takeControlValues();
    EnableControlsForMode();
    changeFlagsForMode(m_job.flags, m_job.mode);
    m_ui->patternBox->setDropsFullPath(m_job.mode == TransferMode::Response);
}

void MainWindow::OnExecute() {
    takeControlValues();
    // The texts enter the histories even when the job is then refused.
    for (size_t i = 0; i < kHistoryKindCount; ++i) {
        HistoryComboBox& input = box(static_cast<HistoryKind>(i));
        const QString text = input.currentText();
        input.pushHistory(text, HistoryList::Push::Used);
        input.setEditText(text);
    }
    if (m_job.explorerStyle && !isAbsoluteDestination(m_job.destinationDirectory) &&
        m_platform.messageBox.show(
            m_platform.translation.translate(
                "MainWindow", "Explorer 形式を指定していますが、格納先が絶対ﾊﾟｽではありません。\n"
                              "「はい」を押すとExplorer 形式を外します。\n"),
            kProgramTitle, MessageButtons::YesNo, MessageIcon::Exclamation) == MessageAnswer::Yes)
        m_job.explorerStyle = false;

    JobField focus = JobField::None;
    {
        ResultWindowFactory factory(m_platform, this);
        const ToolPaths tools = m_settings.toolPaths();
        if (factory.job().takeJob(m_job, tools)) {
            if (const std::unique_ptr<ResultWindow> window = factory.plan()) {
                window->runEndNotice().setEnabled(m_settings.noticeLongRuns());
                m_runResultWindow(*window);
                focus = window->job().focusField();
            } else {
                focus = factory.job().focusField();
            }
        } else {
            focus = factory.job().focusField();
        }
    }
    if (focus != JobField::None)
        if (QWidget* control = controlById(this, controlShowing(focus));
            control && control->isEnabled())
            control->setFocus();
}

void MainWindow::browseInto(HistoryComboBox& input, const QString& title) {
    takeControlValues();
    const QString chosen = BrowseForFolder(this, m_platform.fileSystem, input.currentText(), title);
    // The history waits for the next execute.
    if (!chosen.isEmpty())
        input.setEditText(chosen);
}

void MainWindow::OnBrowseSource() {
    browseInto(*m_ui->sourceBox,
               QCoreApplication::translate("MainWindow", "対象元ディレクトリの選択"));
}

void MainWindow::OnBrowseDestination() {
    browseInto(*m_ui->destinationBox,
               QCoreApplication::translate("MainWindow", "対象先ディレクトリの選択"));
}

void MainWindow::OnOptions() {
    takeControlValues();
    OptionsSheet sheet(m_job.mode, this);
    sheet.setHelpHandler([this, &sheet](const QString& topic) { m_help.open(topic, &sheet); });
    sheet.load(options());
    if (m_runOptionsSheet(sheet) == QDialog::Accepted)
        takeOptions(sheet.options());
}

OptionsState MainWindow::options() const {
    OptionsState options;
    options.flags = m_job.flags;
    options.afterDate = m_job.afterDate;
    options.explorerStyle = m_job.explorerStyle;
    options.skipUnchanged = m_job.skipUnchanged;
    options.trash = m_job.trash;
    options.verify = m_job.verify;
    options.noticeLongRuns = m_settings.noticeLongRuns();
    options.hardLinks = m_job.hardLinks;
    for (size_t i = 0; i < kHistoryKindCount; ++i)
        options.histories[i] = box(static_cast<HistoryKind>(i)).history();
    options.tools = {m_settings.editorPath(SettingsSection::BinaryEditor),
                     m_settings.editorPath(SettingsSection::TextEditor),
                     m_settings.editorPath(SettingsSection::Windiff)};
    return options;
}

void MainWindow::takeOptions(const OptionsState& options) {
    m_job.flags = options.flags;
    m_job.afterDate = options.afterDate;
    m_job.explorerStyle = options.explorerStyle;
    m_job.skipUnchanged = options.skipUnchanged;
    m_job.trash = options.trash;
    m_job.verify = options.verify;
    m_job.hardLinks = options.hardLinks;
    for (size_t i = 0; i < kHistoryKindCount; ++i) {
        // The lists change; what the user typed stays.
        HistoryComboBox& input = box(static_cast<HistoryKind>(i));
        const QString text = input.currentText();
        input.setHistory(options.histories[i]);
        input.setEditText(text);
    }
    m_settings.setEditorPath(SettingsSection::BinaryEditor, options.tools.binaryEditor);
    m_settings.setEditorPath(SettingsSection::TextEditor, options.tools.textEditor);
    m_settings.setEditorPath(SettingsSection::Windiff, options.tools.comparisonProgram);
    m_settings.setSkipUnchanged(options.skipUnchanged);
    m_settings.setTrash(options.trash);
    m_settings.setVerify(options.verify);
    m_settings.setNoticeLongRuns(options.noticeLongRuns);
    m_settings.setHardLinks(options.hardLinks);
}

} // namespace ryk
