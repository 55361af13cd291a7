#pragma once

#include "desktop/main/DesktopUrl.h"
#include "platform/Environment.h"

#include <QDialog>
#include <memory>
#include <string>

namespace Ui {
class AboutWindow;
}

namespace ryk {

/// The maker's home page, the caption of the about window's address button.
inline constexpr char kHomePage[] = "https://rykmere.github.io/";

/// "Rykのﾊﾞｰｼﾞｮﾝ情報": the program icon, the version line, the legal notice, a button that
/// opens the home page and the full path of the running executable. Run modally.
class AboutWindow : public QDialog {
    Q_OBJECT
public:
    using UrlOpener = ryk::UrlOpener;

    /// `programPath` is the path shown: by default the running executable's.
    explicit AboutWindow(QWidget* parent = nullptr,
                         const std::string& programPath = ::ryk::executablePath());
    ~AboutWindow() override;

    /// Replaces the desktop's handler that the home-page button hands its address to.
    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }

    /// "Rykmere Ver <version> build <date>", as the build states it.
    QString versionLine() const;
    QString legalNotice() const;
    /// The running executable's full path, as the system gives it.
    QString executablePath() const;

private:
    void openHomePage();

    std::unique_ptr<Ui::AboutWindow> m_ui;
    UrlOpener m_openUrl;
};

} // namespace ryk
