#include "fw/db/DatabaseError.h"

namespace fw {

void DatabaseError(const std::string& message) {
    throw EDatabaseError(message);
}

void RethrowEngineError(const engine::Error& e) {
    using Kind = EDatabaseError::Kind;
    Kind kind = Kind::General;
    if (dynamic_cast<const engine::KeyViolation*>(&e))
        kind = Kind::KeyViolation;
    else if (dynamic_cast<const engine::TableBusy*>(&e))
        kind = Kind::TableBusy;
    else if (dynamic_cast<const engine::RecordLocked*>(&e))
        kind = Kind::RecordLocked;
    else if (dynamic_cast<const engine::DamagedFile*>(&e))
        kind = Kind::DamagedFile;
    else if (dynamic_cast<const engine::MissingTable*>(&e))
        kind = Kind::MissingTable;
    throw EDatabaseError(e.Message(), kind);
}

} // namespace fw
