#include "http/wait.h"

#include "http/httprequest.h"
#include "platform/lifetime.h"

#include <QEventLoop>

namespace http {

bool waitUntilDone(HttpRequest& request, const std::function<void()>& uninitialized)
{
    QEventLoop loop;
    auto look = [&] {
        const int state = request.readyState();
        if (state == HttpRequest::Unsent)
            uninitialized();
        else if (state == HttpRequest::Done)
            loop.quit();
    };
    QObject::connect(&request, &HttpRequest::progressed, &loop, look);
    look();
    if (request.readyState() != HttpRequest::Done && !platform::programEnding())
        loop.exec();
    return !platform::programEnding();
}

} // namespace http
