#include "requestsender.h"

#include "handled.h"
#include "httprequest.h"
#include "inputgate.h"

#include <QScopeGuard>

using namespace Qt::StringLiterals;

RequestSender::RequestSender(ResultBox* resultBox, QWidget* exitButton, platform::ErrorReport& report, QObject* parent)
    : QObject(parent)
    , m_resultBox(resultBox)
    , m_exitButton(exitButton)
    , m_report(report)
    , m_arbiter(u"Ready"_s)
    , m_progress(this)
{
    connect(&m_progress, &WaitProgress::said, this, &RequestSender::progressed);
}

// A step of a press: if it fails, so has the press, and the failure goes to the error report.
template <typename Step> void RequestSender::step(quint64 press, Step&& step)
{
    handled(m_report, [&] {
        try {
            step();
        } catch (const foundation::Failure& failure) {
            show(m_arbiter.failed(press, failure.message()));
            throw;
        } catch (...) {
            show(m_arbiter.failed(press, {}));
            throw;
        }
    });
}

void RequestSender::press(const request::Request& page)
{
    if (m_synchronous)
        return; // a press while a synchronous request waits is dropped, as clicks and keys then are
    const quint64 press = ++m_presses;
    bool ending = false; // a synchronous send returned without its end: every event loop is ending
    step(press, [&] {
        show(m_arbiter.started(press));
        std::unique_ptr<http::HttpRequest> request = http::createObject(u"Microsoft.xmlhttp"_s);
        http::HttpRequest* const object = request.get();
        object->setParent(this);
        m_progress.follow(object); // before the request's end is taken up, so that nothing follows that
        connect(object, &http::HttpRequest::progressed, this, [this, press, object] {
            if (object->readyState() == http::HttpRequest::Unsent)
                show(m_arbiter.uninitialized(press));
        });
        connect(object, &http::HttpRequest::finished, this, [this, press, object] {
            if (m_synchronous)
                m_endedMeanwhile.emplace_back(press, object);
            else
                ended(press, object);
        });
        object->open(page.method, page.url, page.async);
        for (const request::Header& row : page.headers)
            object->setRequestHeader(row.name, row.value);
        if (page.async) { // "Synch" checked is open's asynchronous flag
            object->send(page.body);
        } else {
            // A synchronous send takes no input until it is done, bar the exit button: what the user
            // clicks or types meanwhile is dropped, never played back afterwards.
            const InputGate gate(m_exitButton);
            m_synchronous = object;
            const auto waited = qScopeGuard([this] { m_synchronous = nullptr; });
            object->send(page.body);
            ending = object->readyState() != http::HttpRequest::Done;
        }
        request.release(); // under way: held until it has ended
    });
    if (ending)
        return;
    // A synchronous request has ended as send returns; others may have ended while it waited. Their ends
    // are taken up now that the window takes input again.
    for (const auto& [endedPress, request] : std::exchange(m_endedMeanwhile, {}))
        ended(endedPress, request);
}

// A press's request has ended. The request goes once control is back in the event loop, out of its own
// signal.
void RequestSender::ended(quint64 press, http::HttpRequest* request)
{
    request->deleteLater();
    step(press, [&] {
        QString text = request->responseText();
        show(m_arbiter.succeeded(press, { std::move(text), request->response(), {}, false }));
    });
}

void RequestSender::show(PressArbiter<ResultBox::Result>::Screen screen)
{
    emit statusSaid(screen.status);
    if (screen.result)
        m_resultBox->show(std::move(*screen.result));
    if (screen.failure)
        emit failed(*screen.failure);
}
