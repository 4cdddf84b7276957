#pragma once
#include <string>
#include <vector>

namespace setup {

// The English table of the kit's own messages, as lines of a language file ("GLID;Text"). A language
// file that gives the same GLIDs translates these messages; the numbers never change once given.
const std::vector<std::string>& EnglishDefaultLines();

} // namespace setup
