#pragma once
// What the user was told since their last key or click. Every road that tells a failure shares it: a
// refusal met again on another road of the same key (the post of a close, then the entry of the control
// the focus goes back to) is told once, and a box that is still on screen is not opened over itself.

#include <string>

namespace base {

// The text was shown since the user's last key or click, or is on screen now.
bool ToldSinceInput(const std::string& text);
bool OnScreen(const std::string& text);

// Marks a text shown for its lifetime: on screen while it lives, told afterwards.
class Telling {
public:
    explicit Telling(const std::string& text);
    ~Telling();
    Telling(const Telling&) = delete;
    Telling& operator=(const Telling&) = delete;
};

// The text was told in another form (inside a question, say).
void RememberTold(const std::string& text);
// A key or click of the user: what was told before may be told again. The key that closes a box is no new
// input for the form behind it.
void InputArrived();

} // namespace base
