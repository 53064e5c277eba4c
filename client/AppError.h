#pragma once
// The application's general error handler: handlers that may fail throw
// EAppError; one guard at each event-handler entry shows its text.

#include <QString>
#include <exception>
#include <utility>

class EAppError : public std::exception {
public:
    explicit EAppError(QString text) : m_text(std::move(text)), m_utf8(m_text.toUtf8()) {}
    const QString& text() const { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

[[noreturn]] void RaiseError(const QString& text);

// The number a text reads as (the number-reading rule), or EAppError
// "'text' is not a valid floating point value".
double NumberOrRaise(const QString& text);

// Shows the message of an escaped error through the message interface.
void ReportError(const std::exception& error);

// Runs an event handler body; an error never unwinds into Qt's event loop.
template <class F> void Guarded(F&& body) noexcept {
    try {
        body();
    } catch (const std::exception& e) {
        ReportError(e);
    } catch (...) {
        ReportError(EAppError(QStringLiteral("未知错误")));
    }
}
