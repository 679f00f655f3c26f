#pragma once
// Interface operations run their body through these, so no exception crosses a module
// boundary: a failure becomes the fallback result, or nothing for a void operation, and
// leaves a line in the diagnostic log naming the operation (the calling function).

#include <source_location>

#include "common/diag_log.h"

namespace zt {

template <typename Result, typename Body>
Result Guarded(Result fallback, Body&& body,
               const std::source_location& where = std::source_location::current()) noexcept {
    try {
        return body();
    } catch (...) {
        DiagLogCaught(std::string_view(where.function_name()));
        return fallback;
    }
}

template <typename Body>
void Guarded(Body&& body,
             const std::source_location& where = std::source_location::current()) noexcept {
    try {
        body();
    } catch (...) {
        // A void operation has nothing to report through; the object stays usable.
        DiagLogCaught(std::string_view(where.function_name()));
    }
}

} // namespace zt
