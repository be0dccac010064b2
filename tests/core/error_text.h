#pragma once
// The German message of the error a call raises, or "<no error>".
#include <string>

#include "core/errors.h"

namespace orvik::testing {

template <typename F>
std::string messageOf(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "<no error>";
}

}  // namespace orvik::testing
