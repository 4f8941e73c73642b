#pragma once

class QUrl;

namespace platform {

// Opens a URL in the user's default browser. Whether that worked is never reported back.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual void open(const QUrl& url) = 0;
};

class DesktopUrlOpener final : public UrlOpener {
public:
    void open(const QUrl& url) override;
};

} // namespace platform
