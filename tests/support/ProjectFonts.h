#pragma once
// The tests draw and measure text with the project's own font configuration, which holds only the fonts
// the program installs and names (the Liberation faces): a developer's machine with many fonts and a
// fresh one with only those render alike. Called by the test mains before anything reads a font.

namespace testsupport {

void UseProjectFonts();

} // namespace testsupport
