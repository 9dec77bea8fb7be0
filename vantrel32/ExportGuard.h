#pragma once

#include "LinkLibrary.h"

// Each export catches everything: an exception must never unwind into a C caller.
namespace quillon::link {

// The one link of the process, which every export works on.
inline LinkLibrary& Lib() {
    return LinkLibrary::Instance();
}

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
