#pragma once
// Interface operations run their body through these, so no exception crosses a module
// boundary: a failure becomes the fallback result, or nothing for a void operation.

namespace zt {

template <typename Result, typename Body> Result Guarded(Result fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

template <typename Body> void Guarded(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
        // A void operation has nothing to report through; the object stays usable.
    }
}

} // namespace zt
