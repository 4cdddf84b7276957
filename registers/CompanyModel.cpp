#include "registers/CompanyModel.h"

#include "base/Exceptions.h"
#include "registers/Model.h"

namespace registers {

void CheckCompanyModel(const fw::TDataSet& company) {
    const std::int64_t model = company.FieldByName("Poziv").AsInteger();
    if (model < 0 || model > 255) return;
    if (!CheckPaymentModel(static_cast<std::uint8_t>(model), company.FieldByName("Model").AsString()))
        throw base::Exception(ModelRefused);
}

void WatchCompanyModel(fw::TDataSet& company) {
    for (const char* name : {"Poziv", "Model"})
        if (fw::TField* field = company.FindField(name))
            field->OnValidate = [&company](fw::TField&) { CheckCompanyModel(company); };
}

} // namespace registers
