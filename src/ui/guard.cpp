#include "ui/guard.h"

#include <QString>
#include <cstdio>

namespace orvik {

void ReportError(MessageBoxes& boxes, const std::string& message) noexcept {
    try {
        boxes.error(QString::fromStdString(WithFinalPeriod(message)));
    } catch (...) {
        // Even the box failed (memory exhausted); the program carries on.
        std::fputs("orvik: an error could not be shown\n", stderr);
    }
}

}  // namespace orvik
