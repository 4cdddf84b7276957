#pragma once
// A radio group bound to a field: one choice among its items, stored as the chosen item's value (its
// position when the item has no value). The group takes the focus as one control; the arrow keys or a click
// move the choice, which puts the record into edit; the exit (or a post) writes it into the field.

#include "fw/ui/DBCtrls.h"

#include <QGroupBox>
#include <QRadioButton>

#include <string>
#include <vector>

namespace fw {

class DBRadioGroup : public ControlOf<QGroupBox>, public DataControl {
public:
    explicit DBRadioGroup(Control* parent, Component* owner = nullptr);
    ~DBRadioGroup() override { DetachLink(); }

    std::string Caption() const { return title().toStdString(); }
    void SetCaption(const std::string& caption) { setTitle(QString::fromStdString(caption)); }
    // The items, one under the other.
    void SetItems(const std::vector<std::string>& items);
    const std::vector<std::string>& Items() const { return items_; }
    // The stored value of each item in the items' order; an item without one stores its position.
    void SetValues(const std::vector<std::string>& values) { values_ = values; }
    // The chosen item (-1: none) and its value ("" for none).
    int ItemIndex() const { return itemIndex_; }
    std::string Value() const { return itemIndex_ < 0 ? std::string() : ValueOf(itemIndex_); }
    // Chooses an item as the user does: only when the record can be put into edit; true when chosen.
    bool Choose(int index);

    void Loaded() override;
    void KeyDown(std::uint16_t& key, Shift shift) override;
    bool WantsKey(std::uint16_t key, Shift shift) const override;
    void ExitCheck() override;

private:
    void DataChange();
    void UpdateData();
    void ShowIndex(int index);
    std::string ValueOf(int index) const;
    std::vector<std::string> items_;
    std::vector<std::string> values_;
    std::vector<QRadioButton*> buttons_;
    int itemIndex_ = -1;
};

} // namespace fw
