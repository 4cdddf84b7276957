#pragma once

namespace base {

// Runs body, then final also when body raised; a failure of final while unwinding is dropped so that the
// first failure is the one the caller sees.
template <class Body, class Final> void TryFinally(Body&& body, Final&& final) {
    try {
        body();
    } catch (...) {
        try {
            final();
        } catch (...) {
        }
        throw;
    }
    final();
}

} // namespace base
