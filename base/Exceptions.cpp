#include "base/Exceptions.h"

#include <cstring>

namespace base {

void RaiseCancel() {
    throw Exception(CancelText);
}

bool IsSilent(const std::exception& e) {
    if (dynamic_cast<const Abort*>(&e)) return true;
    return std::strcmp(e.what(), CancelText) == 0;
}

} // namespace base
