#pragma once
// A record another station holds: the kit's edits show it read-only and grey for the visit, and the first
// key the user types into it tells why instead of doing nothing without a word. Files that refuse the write
// hold nothing: the first key tells why and the keys stay on screen. A record taken by the other
// station only after the entry is found at the first key that would change it, and shown the same way.

#include "fw/ui/Color.h"

#include <cstdint>
#include <string>

namespace fw {
class TDataSet;
} // namespace fw

namespace kit {

class HeldRecord {
public:
    // At the control's entry in multi-user mode: a held record makes the control read-only and grey (its
    // font colour kept in savedFontColor). True when it did.
    template <class C> bool Enter(C& control, fw::TDataSet* dataSet, fw::TColor& savedFontColor) {
        if (!Held(dataSet) || control.ReadOnly()) return held_ = false;
        Show(control, savedFontColor);
        return true;
    }
    // A character typed in a visit begun by Enter (the control's StartOverOnRecordShown() runs when the
    // record shown was refused and shown afresh): true (the key zeroed) when the record is held, the first
    // such key telling the lock. The first key that would change a record this station is not editing yet
    // asks for it once, so a lock taken after the entry is found there.
    template <class C>
    bool KeyRefused(C& control, fw::TDataSet* dataSet, std::uint8_t& key, fw::TColor& savedFontColor) {
        if (!visit_ || !ChangesText(key)) return false;
        if (!held_ && !control.ReadOnly() && !asked_) {
            asked_ = true;
            std::string refusal;
            switch (Ask(dataSet, refusal)) {
            case Answer::Free:
                break;
            case Answer::Held:
                held_ = true;
                Show(control, savedFontColor);
                Tell(refusal);
                break;
            case Answer::RefusedSilently:
                // Told by the refusal itself (the record went away or changed, say), which showed the fresh
                // record: the visit starts over on it, as if entered there (a leave puts back its value,
                // never the one the visit began with), its value selected so the next key replaces it.
                control.StartOverOnRecordShown();
                key = 0;
                return true;
            case Answer::Refused:
                // The files refuse the write (read-only, full, deleted under the open): told once, and the
                // key is the control's own, which keeps what is typed on screen.
                Tell(refusal);
                return false;
            }
        }
        if (!held_ || !control.ReadOnly()) return false;
        Tell({});
        key = 0;
        return true;
    }

private:
    static bool ChangesText(std::uint8_t key) { return key == 8 || key == 22 || key == 24 || key >= 32; }
    template <class C> static void Show(C& control, fw::TColor& savedFontColor) {
        control.SetReadOnly(true);
        savedFontColor = control.FontColor();
        control.SetFontColor(fw::clGray);
    }
    bool Held(fw::TDataSet* dataSet);
    enum class Answer { Free, Held, Refused, RefusedSilently };
    // Whether the record shown can be edited now (it can when this station edits it already), is held by
    // another station, or is refused by the files; a refusal's text goes into refusal.
    Answer Ask(fw::TDataSet* dataSet, std::string& refusal);
    // Tells the refusal (the engine's own text when none is given) the first time in the visit.
    void Tell(const std::string& refusal);
    fw::TDataSet* dataSet_ = nullptr;
    bool visit_ = false;
    bool held_ = false;
    bool told_ = false;
    bool asked_ = false;
};

} // namespace kit
