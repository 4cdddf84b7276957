#pragma once
// The pictures of the main window and its tray icon: a window of the workshop drawn in plain shapes.

#include <QPixmap>

namespace app {

// A two-sash window with a mullion, size × size pixels on a transparent ground.
QPixmap WindowPicture(int size);

} // namespace app
