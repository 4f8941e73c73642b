#include "waitprogress.h"

#include "responsedetails.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

WaitProgress::WaitProgress(QObject* parent)
    : QObject(parent)
{
    m_ticks.setInterval(100ms);
    connect(&m_ticks, &QTimer::timeout, this, &WaitProgress::tick);
}

void WaitProgress::follow(http::HttpRequest* request)
{
    stop();
    m_request = request;
    m_ended = connect(request, &http::HttpRequest::finished, this, &WaitProgress::stop);
    m_waited.start();
    m_ticks.start();
}

void WaitProgress::stop()
{
    disconnect(m_ended);
    m_request.clear();
    m_ticks.stop();
    m_said.clear();
}

void WaitProgress::tick()
{
    if (!m_request)
        return stop(); // it went without ending, as one that could not be sent does
    const QString now = text(std::chrono::milliseconds(m_waited.elapsed()), m_request->arrival());
    if (now != m_said) {
        m_said = now;
        emit said(now);
    }
}

QString WaitProgress::text(std::chrono::milliseconds waited, const http::Arrival& arrival)
{
    if (!arrival.answered)
        return waited < 1s ? QString() : u"waiting · %1 s"_s.arg(waited / 1s);
    const QString received = responsedetails::byteSize(arrival.received);
    if (arrival.expected <= 0)
        return received;
    return received % u" of " % responsedetails::byteSize(arrival.expected) % u" · "
        % QString::number(arrival.received * 100 / arrival.expected) % u" %";
}
