#pragma once
// A data-aware edit that names a row of a second table, the lookup table (LookupSource): the data field
// holds the row's LookupField value, the edit shows the row's first LookupDisplay field. F4 drops a list of
// the lookup table's rows (in the table's own order and range) below the edit; Enter or a double click in
// the list takes the row's text into the edit, Esc closes the list, any other key closes it and goes to the
// edit. Opening and closing the list is not an exit or an entry of the control.
//
// The combo never writes the data field by itself (no write-back on exit or post): the code on top settles
// the typed text and writes the field.

#include "fw/ui/DBCtrls.h"

#include <memory>

class QTableView;

namespace fw {

class DataSetModel;

class DBLookupCombo : public Edit, public DataControl {
public:
    explicit DBLookupCombo(Control* parent, Component* owner = nullptr);
    ~DBLookupCombo() override;

    TDataSource* LookupSource() const;
    void SetLookupSource(TDataSource* source);
    TDataSet* LookupDataSet() const;
    const std::string& LookupField() const { return lookupField_; }
    void SetLookupField(const std::string& name) { lookupField_ = name; }
    // One or more field names separated by ";": the columns of the list; the first is shown in the edit.
    const std::string& LookupDisplay() const { return lookupDisplay_; }
    void SetLookupDisplay(const std::string& names);
    bool ReadOnly() const { return link_.ReadOnly; }
    void SetReadOnly(bool readOnly);

    // The LookupField value of the chosen row, as text. Assigning it shows that row's display text (the value
    // itself when the combo shows the codes themselves).
    const std::string& Value() const { return value_; }
    void SetValue(const std::string& value);
    std::string DisplayValue() const { return Text(); }
    void SetDisplayValue(const std::string& text) { ShowDisplay(text); }

    bool ListVisible() const;
    // Opens the list on the lookup table's current row; closes it.
    virtual void DropDown();
    virtual void CloseUp();
    QTableView& List() const;

    void Loaded() override;
    void KeyDown(std::uint16_t& key, Shift shift) override;
    bool WantsKey(std::uint16_t key, Shift shift) const override;
    // Nothing is written on exit.
    void ExitCheck() override {}

protected:
    void Change() override;
    // The data field changed or the record moved: the field's value is shown.
    virtual void DataChange();
    // Shows a text that the user did not type (it does not count as typed for the lookup's updates).
    void ShowDisplay(const std::string& text);
    // The field shown in the edit: the first LookupDisplay field, or LookupField without one.
    std::string ShownField() const;
    // The display text of the lookup table's current row when that row holds the value.
    bool RowDisplay(const std::string& value, std::string& display) const;

private:
    class ListLink;
    class Popup;
    void LookupChanged();
    void PickRow();
    void ListClosedByQt();
    void ShowColumns();

    std::string lookupField_;
    std::string lookupDisplay_;
    std::string value_;
    bool typed_ = false;
    bool showing_ = false;
    bool closing_ = false;
    std::unique_ptr<ListLink> lookupLink_;
    std::unique_ptr<DataSetModel> model_;
    std::unique_ptr<Popup> popup_;
    QTableView* list_ = nullptr;
};

} // namespace fw
