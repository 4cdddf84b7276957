#pragma once
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace fw {

// Where a failure caught by the guard is shown. The shell points it at its information box; the default
// shows a plain message window.
using MessageHook = std::function<void(const std::string& text)>;
// Installs a hook and returns the previous one (an empty hook restores the default).
MessageHook SetMessageHook(MessageHook hook);
void ShowMessage(const std::string& text);

// Shows the failure unless it is a silent one (Abort or the "ESC" cancel).
void ShowException(const std::exception& e);

// Runs f so that no exception leaves it: silent ones are dropped, any other is shown once.
// Answers whether f finished without an exception.
template <class F> bool Guarded(F&& f) noexcept {
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        ShowMessage("Nepoznata greška");
    }
    return false;
}

// The system sounds: 0 the default beep, 16 error, 32 question, 48 warning, 64 information.
using BeepHook = std::function<void(unsigned kind)>;
BeepHook SetBeepHook(BeepHook hook);
void MessageBeep(unsigned kind);

// Records the messages and beeps of its lifetime instead of showing or sounding them.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    std::vector<std::string> Messages;
    std::vector<unsigned> Beeps;

private:
    MessageHook oldMessage_;
    BeepHook oldBeep_;
};

} // namespace fw
