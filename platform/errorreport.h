#pragma once

#include <QString>

namespace platform {

// Receives every failure that a handler of the window does not deal with itself.
class ErrorReport {
public:
    virtual ~ErrorReport() = default;
    virtual void report(const QString& message) = 0;
};

// Shows the failure in a message box titled "Reruzad" that does not block the window; the program goes on.
class MessageBoxErrorReport final : public ErrorReport {
public:
    void report(const QString& message) override;
};

} // namespace platform
