#include "AppError.h"

#include "Messages.h"

#include <cstdio>

void RaiseError(const QString& text) {
    throw EAppError(text);
}

void ReportError(const std::exception& error) {
    // Called from the noexcept guard: nothing may escape from here.
    try {
        const auto* appError = dynamic_cast<const EAppError*>(&error);
        const QString text = appError ? appError->text() : QString::fromUtf8(error.what());
        Messages().showMessage(text);
    } catch (...) {
        std::fputs("error report failed\n", stderr);
    }
}
