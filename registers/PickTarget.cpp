#include "registers/PickTarget.h"

#include "fw/ui/DBCtrls.h"
#include "kit/Mycombo.h"

#include <QComboBox>
#include <QLineEdit>

namespace registers {

std::string PickTarget::Text() const {
    return combo_->currentText().toStdString();
}

void PickTarget::SetText(const std::string& text) {
    combo_->setEditText(QString::fromStdString(text));
}

void PickTarget::SelectAll() {
    if (QLineEdit* line = combo_->lineEdit()) line->selectAll();
}

PickTarget PickTargetOf(fw::Control* control) {
    PickTarget target;
    if (!control || !dynamic_cast<kit::CodeControl*>(control)) return target;
    auto* data = dynamic_cast<fw::DataControl*>(control);
    auto* combo = qobject_cast<QComboBox*>(&control->Widget());
    if (!data || !combo || !combo->isEditable()) return target;
    target.combo_ = combo;
    target.dataSet_ = data->DataSet();
    return target;
}

} // namespace registers
