// Exception barriers for the places where the system calls into our code:
// COM methods, window procedures and thread procedures. A C++ exception must
// never leave through such a call: it cannot unwind through the system's
// frames and would end the process. Each barrier runs its body and turns
// any exception into the call's failure result.
#pragma once

#include <windows.h>

#include <new>

namespace tarvo {

// For COM methods: the body's result, or E_OUTOFMEMORY when it ran out of
// memory, or E_UNEXPECTED for any other exception.
template <typename Body>
HRESULT comBarrier(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// For any other callback: the body's result, or `failure` on an exception.
template <typename Result, typename Body>
Result callbackBarrier(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

} // namespace tarvo
