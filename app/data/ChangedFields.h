#pragma once
// The changed field layer: every field of the program stores a numeric zero, False, a zero date and an
// empty text as null; floats are rounded by the field's Tag before they are stored; text typed into a float
// field is an arithmetic expression and text typed into a date field goes through the date check.

#include "fw/db/Field.h"

#include <string>

namespace app {

// The rounding a float field's Tag selects: 0 nine decimals, +-1/11 .. +-4/14 the four rounding slots,
// anything else seven decimals.
double RoundByTag(int tag, double value);

class ChangedFieldLayer : public fw::TFieldHooks {
public:
    void SetAsString(fw::TField& field, const std::string& value) override;
    void SetAsInteger(fw::TField& field, long long value) override;
    void SetAsFloat(fw::TField& field, double value) override;
    void SetAsBoolean(fw::TField& field, bool value) override;
    void SetAsDateTime(fw::TField& field, double value) override;
    void SetText(fw::TField& field, const std::string& text) override;
    long long GetAsInteger(const fw::TField& field) override;
    double GetAsFloat(const fw::TField& field) override;
    void Assign(fw::TField& field, const fw::TField* source) override;
    void CloseDataSetOfField(fw::TDataSet& dataSet) override;
};

void InstallChangedFieldLayer();

// The grid's Ctrl+Del: with the confirm-delete option the user is asked "Želite li obrisati slog ?" (for
// one record and for several selected rows alike); true when the delete may go on.
bool ConfirmGridDelete(bool confirmDelete);

} // namespace app
