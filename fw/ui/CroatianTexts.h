#pragma once
// Qt's own texts the user meets (the edits' right-click menus: Undo, Cut, Copy, Paste...) in Croatian, as
// every other text of the program. Installed once for the application; a second call does nothing.

namespace fw {

void InstallCroatianTexts();

} // namespace fw
