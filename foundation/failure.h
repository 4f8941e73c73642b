#pragma once

#include <QString>
#include <stdexcept>

namespace foundation {

// A step that could not be carried out. The message is one plain sentence for the user.
class Failure : public std::runtime_error {
public:
    explicit Failure(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }

    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};

} // namespace foundation
