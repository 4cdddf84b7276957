#pragma once
// The percentage edits: a P edit takes a percentage and stores in Field_Res the amount it is of Field_Base;
// an N edit takes an amount and stores in Field_Res the percentage it is of Field_Base. Both write their
// own value and the result when left by Enter, PgUp or PgDn after an edit, with or without an
// OnExitChanged handler; a refusal restores both. The digit names the rounding slot.

#include "fw/db/FieldClasses.h"
#include "kit/Mycombo2.h"
#include "kit/PercentArithmetic.h"

namespace kit {

class TPercentEdit : public TKitEdit {
public:
    fw::TFloatField* Field_Res = nullptr;
    fw::TFloatField* Field_Base = nullptr;

protected:
    TPercentEdit(fw::Control* parent, fw::Component* owner, PercentRoutine routine, bool hintOnEveryEntry)
        : TKitEdit(parent, owner), routine_(routine), hintOnEveryEntry_(hintOnEveryEntry) {}
    void LeaveByKey() override;
    bool HintOnEveryEntry() const override { return hintOnEveryEntry_; }

private:
    // Field_Res from Field_Base and the edit's own field, when both are assigned.
    void Compute();
    PercentRoutine routine_;
    bool hintOnEveryEntry_;
};

template <PercentRoutine Routine, bool HintAlways> class TPercentEditOf : public TPercentEdit {
public:
    explicit TPercentEditOf(fw::Control* parent, fw::Component* owner = nullptr)
        : TPercentEdit(parent, owner, Routine, HintAlways) {}
};

using TDBVarP = TPercentEditOf<ApplyPercent1, false>;
using TDBVarP2 = TPercentEditOf<ApplyPercent2, false>;
using TDBVarP3 = TPercentEditOf<ApplyPercent3, false>;
using TDBVarP4 = TPercentEditOf<ApplyPercent4, false>;
using TDBVarN = TPercentEditOf<FindPercent1, false>;
using TDBVarN2 = TPercentEditOf<FindPercent2, false>;
// The hint of these two shows on every entry.
using TDBVarN3 = TPercentEditOf<FindPercent3, true>;
using TDBVarN4 = TPercentEditOf<FindPercent4, true>;

} // namespace kit
