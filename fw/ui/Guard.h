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
// Shows the failure unless it is silent or was told since the user's last key or click (another road of
// the same key told it already).
void TellException(const std::exception& e);

// Shows the failure after the current event instead of inside it, unless the same text is waiting, on
// screen, or was told since the user's last key or click: a paint that fails paints again and again, and a
// box opened inside a paint or a model read would run an event loop in the middle of Qt's own work.
void PostException(const std::exception& e);
void PostMessage(const std::string& text);
// Shows the posted failures now (the event loop does so by itself after the current event).
void ShowPostedMessages();
// A key or click of the user: what was told before may be told again.
void UserInputArrived();

// While Qt paints or reads a model no box may open: failures are posted instead of shown.
class NoBoxesHere {
public:
    NoBoxesHere() noexcept;
    ~NoBoxesHere();
    NoBoxesHere(const NoBoxesHere&) = delete;
    NoBoxesHere& operator=(const NoBoxesHere&) = delete;
    static bool Active();
};

// Runs f so that no exception leaves it: silent ones are dropped, any other is shown once (posted while
// no box may open). Answers whether f finished without an exception.
template <class F> bool Guarded(F&& f) noexcept {
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        if (NoBoxesHere::Active())
            PostException(e);
        else
            ShowException(e);
    } catch (...) {
        if (NoBoxesHere::Active())
            PostMessage("Nepoznata greška");
        else
            ShowMessage("Nepoznata greška");
    }
    return false;
}

// For Qt's calls into our code that must not throw and must not open a box (paint, model reads, and
// every event handler a widget of ours overrides): a failure is posted and f's result stays unset.
template <class F> bool GuardedEvent(F&& f) noexcept {
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        PostException(e);
    } catch (...) {
        PostMessage("Nepoznata greška");
    }
    return false;
}

// The same for a paint or a model read: boxes wait until it is over.
template <class F> bool GuardedPaint(F&& f) noexcept {
    const NoBoxesHere noBoxes;
    return GuardedEvent(std::forward<F>(f));
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
