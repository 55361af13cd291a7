#pragma once

#include <functional>

class QUrl;

namespace ryk {

/// Hands an address to whatever opens it; the windows take one so that tests can see the call.
using UrlOpener = std::function<void(const QUrl&)>;

/// Opens `url` with the desktop's own handler for it (the browser for a web address). A failure
/// is not reported: there is nothing the user could do about it from here.
void openWithDesktop(const QUrl& url);

} // namespace ryk
