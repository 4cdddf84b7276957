#include "registers/OwnedKey.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "base/CroatianFormat.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"

namespace registers {

std::string NotANumberText(const std::string& displayName) {
    return displayName + " mora biti broj.";
}

auto TOwnedKey::Settle(fw::TTable& table, bool wasEditing, const std::function<void()>& enableControls)
    -> Outcome {
    if (TextEdited && !Text().empty()) {
        if (Owner && !app::HasRecords(Owner)) {
            app::ShowInfo(NoOwnerText);
            return SetOutcome(Outcome::Refused);
        }
        const fw::TField* f = Field();
        const bool number = f && (f->DataType() == fw::ftFloat || f->DataType() == fw::ftInteger ||
                                  f->DataType() == fw::ftSmallint);
        if (number && !base::ParseFloat(Text())) {
            app::ShowInfo(NotANumberText(DisplayName.empty() ? f->DisplayLabel() : DisplayName));
            return SetOutcome(Outcome::Refused);
        }
    }
    return kit::TDBKeyField::Settle(table, wasEditing, enableControls);
}

} // namespace registers
