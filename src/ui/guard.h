#pragma once
// The one place where an error that ends an event handler becomes the error
// box. No exception may leave a handler into Qt's event dispatch.
#include <new>
#include <stdexcept>

#include "core/errors.h"
#include "platform/services.h"

namespace orvik {

void ReportError(MessageBoxes& boxes, const std::string& message) noexcept;

template <typename F>
void RunGuarded(MessageBoxes& boxes, F&& handler) noexcept {
    try {
        handler();
    } catch (const std::bad_alloc&) {
        ReportError(boxes, Error::outOfMemory().what());
    } catch (const std::exception& e) {
        ReportError(boxes, e.what());
    } catch (...) {
        ReportError(boxes, "Unbekannter Fehler");
    }
}

}  // namespace orvik
