#pragma once

class QWidget;

namespace ryk {

/// Makes `window` a small frameless window of its own that shows without taking the focus.
void makeSmallWindow(QWidget* window);

/// Moves `window` to the centre of the first visible window among `owner` and its ancestors,
/// or of the screen when none is visible.
void centreOverOwner(QWidget* window, QWidget* owner);

} // namespace ryk
