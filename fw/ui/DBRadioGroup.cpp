#include "fw/ui/DBRadioGroup.h"

#include "fw/db/Field.h"
#include "fw/ui/Guard.h"
#include "fw/ui/Keys.h"

#include <algorithm>

namespace fw {

namespace {
constexpr int ItemHeight = 22;
constexpr int TopMargin = 20;
} // namespace

DBRadioGroup::DBRadioGroup(Control* parent, Component* owner) : ControlOf<QGroupBox>(parent, owner) {
    link_.OnDataChange = [this] { DataChange(); };
    link_.OnUpdateData = [this] { UpdateData(); };
}

void DBRadioGroup::SetItems(const std::vector<std::string>& items) {
    for (QRadioButton* b : buttons_)
        delete b;
    buttons_.clear();
    items_ = items;
    // Our own exclusivity: a refused choice must leave the shown one as it was.
    for (std::size_t i = 0; i < items_.size(); ++i) {
        auto* b = new QRadioButton(QString::fromStdString(items_[i]), this);
        b->setAutoExclusive(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(10, TopMargin + static_cast<int>(i) * ItemHeight, std::max(width() - 20, 40),
                       ItemHeight);
        b->show();
        const int index = static_cast<int>(i);
        QObject::connect(b, &QRadioButton::clicked, [this, index] {
            Guarded([&] {
                if (!Choose(index)) ShowIndex(itemIndex_);
            });
        });
        buttons_.push_back(b);
    }
    ShowIndex(itemIndex_ < static_cast<int>(items_.size()) ? itemIndex_ : -1);
}

std::string DBRadioGroup::ValueOf(int index) const {
    const auto i = static_cast<std::size_t>(index);
    return i < values_.size() && !values_[i].empty() ? values_[i] : std::to_string(index);
}

void DBRadioGroup::ShowIndex(int index) {
    itemIndex_ = index;
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setChecked(static_cast<int>(i) == index);
}

bool DBRadioGroup::Choose(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) return false;
    if (index == itemIndex_) return true;
    if (!link_.Edit()) return false;
    ShowIndex(index);
    link_.SetModified();
    return true;
}

void DBRadioGroup::DataChange() {
    const TField* f = Field();
    int index = -1;
    if (f) {
        // A number stored as nothing is a zero.
        const bool number =
            f->DataType() == ftSmallint || f->DataType() == ftInteger || f->DataType() == ftWord;
        const std::string text = number && f->IsNull() ? std::string("0") : f->Text();
        for (int i = 0; i < static_cast<int>(items_.size()); ++i)
            if (ValueOf(i) == text) index = i;
    }
    ShowIndex(index);
}

void DBRadioGroup::UpdateData() {
    if (TField* f = Field()) f->SetText(Value());
}

void DBRadioGroup::Loaded() {
    ControlOf<QGroupBox>::Loaded();
    DataChange();
}

bool DBRadioGroup::WantsKey(std::uint16_t key, Shift shift) const {
    if (shift == ssNone && (key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT)) return true;
    return ControlOf<QGroupBox>::WantsKey(key, shift);
}

void DBRadioGroup::KeyDown(std::uint16_t& key, Shift shift) {
    ControlOf<QGroupBox>::KeyDown(key, shift);
    if (shift != ssNone || items_.empty()) return;
    const int last = static_cast<int>(items_.size()) - 1;
    if (key == VK_UP || key == VK_LEFT) {
        Choose(std::max(0, itemIndex_ - 1));
        key = 0;
    } else if (key == VK_DOWN || key == VK_RIGHT) {
        Choose(itemIndex_ < 0 ? 0 : std::min(last, itemIndex_ + 1));
        key = 0;
    }
}

void DBRadioGroup::ExitCheck() {
    link_.UpdateRecord();
}

} // namespace fw
