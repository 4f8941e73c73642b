#pragma once

class QString;

namespace platform {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Puts the text on the system clipboard as plain text, for any program to paste.
    virtual void setText(const QString& text) = 0;
};

class SystemClipboard final : public Clipboard {
public:
    void setText(const QString& text) override;
};

} // namespace platform
