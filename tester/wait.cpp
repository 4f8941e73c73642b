#include "tester/wait.h"

#include "platform/httprequest.h"
#include "platform/lifetime.h"

#include <QEventLoop>

namespace tester {

bool waitUntilDone(platform::HttpRequest& request, const std::function<void()>& uninitialized)
{
    QEventLoop loop;
    auto look = [&] {
        const int state = request.readyState();
        if (state == platform::HttpRequest::Unsent)
            uninitialized();
        else if (state == platform::HttpRequest::Done)
            loop.quit();
    };
    QObject::connect(&request, &platform::HttpRequest::progressed, &loop, look);
    look();
    if (request.readyState() != platform::HttpRequest::Done && !platform::programEnding())
        loop.exec();
    return !platform::programEnding();
}

} // namespace tester
