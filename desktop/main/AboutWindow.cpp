#include "desktop/main/AboutWindow.h"

#include "Version.h"
#include "platform/Environment.h"
#include "platform/qt/ByteText.h"
#include "ui_AboutWindow.h"

#include <QIcon>
#include <QUrl>

// Resources of a static library are linked only when something refers to them.
static void initAboutResources() {
    Q_INIT_RESOURCE(about);
}

namespace ryk {

namespace {

// The holder named in the package's copyright file.
constexpr char kLegalNotice[] = "Copyright (C) 2026 Rykmere developers";
constexpr int kIconSize = 32;

} // namespace

AboutWindow::AboutWindow(QWidget* parent, const std::string& programPath)
    : QDialog(parent), m_ui(std::make_unique<Ui::AboutWindow>()), m_openUrl(openWithDesktop) {
    initAboutResources();
    m_ui->setupUi(this);
    // A fixed dialog frame: a close box, nothing to minimize or maximize.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    QIcon icon;
    icon.addFile(QStringLiteral(":/about/program-32.png"));
    icon.addFile(QStringLiteral(":/about/program-64.png"));
    m_ui->iconLabel->setPixmap(icon.pixmap(QSize(kIconSize, kIconSize), devicePixelRatioF()));
    m_ui->versionLabel->setText(QStringLiteral(RYK_VERSION_TEXT));
    m_ui->legalLabel->setText(QString::fromUtf8(kLegalNotice));
    m_ui->homePageButton->setText(QString::fromUtf8(kHomePage));
    // As the system names it: a path in another case names another file here.
    m_ui->executablePathLabel->setText(fromBytes(programPath));

    connect(m_ui->homePageButton, &QPushButton::clicked, this, &AboutWindow::openHomePage);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    m_ui->okButton->setFocus();
}

AboutWindow::~AboutWindow() = default;

QString AboutWindow::versionLine() const {
    return m_ui->versionLabel->text();
}

QString AboutWindow::legalNotice() const {
    return m_ui->legalLabel->text();
}

QString AboutWindow::executablePath() const {
    return m_ui->executablePathLabel->text();
}

void AboutWindow::openHomePage() {
    if (m_openUrl)
        m_openUrl(QUrl(QString::fromUtf8(kHomePage)));
}

} // namespace ryk
