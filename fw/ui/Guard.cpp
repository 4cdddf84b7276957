#include "fw/ui/Guard.h"

#include "base/Exceptions.h"
#include "base/ProgramState.h"

#include <QApplication>
#include <QMessageBox>

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

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::WidgetFramework, [] {
        messageHook() = nullptr;
        beepHook() = nullptr;
    });

} // namespace

MessageHook SetMessageHook(MessageHook hook) {
    MessageHook old = std::move(messageHook());
    messageHook() = std::move(hook);
    return old;
}

void ShowMessage(const std::string& text) {
    if (messageHook()) {
        // A failure while showing a failure must not escape either.
        try {
            messageHook()(text);
        } catch (...) {
        }
        return;
    }
    QMessageBox::warning(QApplication::activeWindow(), QApplication::applicationName(),
                         QString::fromStdString(text));
}

void ShowException(const std::exception& e) {
    if (base::IsSilent(e)) return;
    ShowMessage(e.what());
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
