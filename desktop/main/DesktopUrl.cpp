#include "desktop/main/DesktopUrl.h"

#include <QDesktopServices>
#include <QUrl>

namespace ryk {

void openWithDesktop(const QUrl& url) {
    (void)QDesktopServices::openUrl(url);
}

} // namespace ryk
