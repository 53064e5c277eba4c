#include "AppError.h"

#include "GbkText.h"
#include "Messages.h"

#include <cstdio>

void RaiseError(const QString& text) {
    throw EAppError(text);
}

double NumberOrRaise(const QString& text) {
    double value = 0;
    if (!ReadNumber(text, &value))
        RaiseError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
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
