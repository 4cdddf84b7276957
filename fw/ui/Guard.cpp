#include "fw/ui/Guard.h"

#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "base/Told.h"

#include <algorithm>
#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>

namespace fw {

namespace {

MessageHook& messageHook() {
    static MessageHook hook;
    return hook;
}

BeepHook& beepHook() {
    static BeepHook hook;
    return hook;
}

// The failures posted from where no box may open (what was told since the user's last input is shared with
// the data layer's boxes: base/Told.h).
struct Posted {
    std::vector<std::string> Waiting;
    bool ShowQueued = false;
    int NoBoxes = 0;
};

Posted& posted() {
    static Posted p;
    return p;
}

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::WidgetFramework, [] {
        messageHook() = nullptr;
        beepHook() = nullptr;
        posted() = Posted();
    });

bool contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

} // namespace

MessageHook SetMessageHook(MessageHook hook) {
    MessageHook old = std::move(messageHook());
    messageHook() = std::move(hook);
    return old;
}

void ShowMessage(const std::string& text) {
    const base::Telling telling(text);
    // A failure while showing a failure must not escape either.
    try {
        if (messageHook())
            messageHook()(text);
        else
            QMessageBox::warning(QApplication::activeWindow(), QApplication::applicationName(),
                                 QString::fromStdString(text));
    } catch (...) {
    }
}

void ShowException(const std::exception& e) {
    if (base::IsSilent(e)) return;
    // Nothing is told twice over itself (a handler run again inside the box's own loop).
    if (base::OnScreen(e.what())) return;
    ShowMessage(e.what());
}

void TellException(const std::exception& e) {
    if (base::IsSilent(e) || base::ToldSinceInput(e.what())) return;
    ShowMessage(e.what());
}

void PostMessage(const std::string& text) {
    Posted& p = posted();
    if (contains(p.Waiting, text) || base::ToldSinceInput(text)) return;
    p.Waiting.push_back(text);
    if (p.ShowQueued || !qApp) return;
    p.ShowQueued = true;
    QMetaObject::invokeMethod(
        qApp, [] { ShowPostedMessages(); }, Qt::QueuedConnection);
}

void PostException(const std::exception& e) {
    if (!base::IsSilent(e)) PostMessage(e.what());
}

void ShowPostedMessages() {
    Posted& p = posted();
    p.ShowQueued = false;
    // Still inside a paint (a nested loop of one): later.
    if (p.NoBoxes > 0) {
        if (!p.Waiting.empty() && qApp) {
            p.ShowQueued = true;
            QMetaObject::invokeMethod(
                qApp, [] { ShowPostedMessages(); }, Qt::QueuedConnection);
        }
        return;
    }
    while (!p.Waiting.empty()) {
        const std::string text = p.Waiting.front();
        p.Waiting.erase(p.Waiting.begin());
        ShowMessage(text);
    }
}

void UserInputArrived() {
    base::InputArrived();
}

NoBoxesHere::NoBoxesHere() noexcept {
    ++posted().NoBoxes;
}

NoBoxesHere::~NoBoxesHere() {
    --posted().NoBoxes;
}

bool NoBoxesHere::Active() {
    return posted().NoBoxes > 0;
}

BeepHook SetBeepHook(BeepHook hook) {
    BeepHook old = std::move(beepHook());
    beepHook() = std::move(hook);
    return old;
}

void MessageBeep(unsigned kind) {
    if (beepHook()) {
        beepHook()(kind);
        return;
    }
    QApplication::beep();
}

MessageRecorder::MessageRecorder() {
    oldMessage_ = SetMessageHook([this](const std::string& text) { Messages.push_back(text); });
    oldBeep_ = SetBeepHook([this](unsigned kind) { Beeps.push_back(kind); });
}

MessageRecorder::~MessageRecorder() {
    SetMessageHook(std::move(oldMessage_));
    SetBeepHook(std::move(oldBeep_));
}

} // namespace fw
