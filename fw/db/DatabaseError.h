#pragma once
#include "base/Exceptions.h"

#include <string>

namespace fw {

// A failure of the dataset layer or of the table engine under it; the message is the text the user sees.
class EDatabaseError : public base::Exception {
public:
    // What went wrong, kept from the engine's error so callers can tell a key violation from a busy table.
    enum class Kind { General, KeyViolation, TableBusy, RecordLocked, DamagedFile, MissingTable };

    explicit EDatabaseError(const std::string& message, Kind kind = Kind::General)
        : base::Exception(message), kind_(kind) {}
    Kind ErrorKind() const { return kind_; }

private:
    Kind kind_;
};

// Runs an engine call and turns its errors into EDatabaseError with the engine's message.
template <class F> decltype(auto) EngineCall(F&& f);

[[noreturn]] void DatabaseError(const std::string& message);

} // namespace fw

#include "engine/Engine.h"

namespace fw {

[[noreturn]] void RethrowEngineError(const engine::Error& e);

template <class F> decltype(auto) EngineCall(F&& f) {
    try {
        return f();
    } catch (const engine::Error& e) {
        RethrowEngineError(e);
    }
}

} // namespace fw
