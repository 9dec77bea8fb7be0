#pragma once

// Each export catches everything: an exception must never unwind into a C caller.
namespace quillon::link {

template <typename Result, typename Body> Result Guarded(Result onFailure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

template <typename Body> void Guarded(Body body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

} // namespace quillon::link
