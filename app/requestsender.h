#pragma once

#include "pressarbiter.h"
#include "request.h"
#include "resultbox.h"
#include "waitprogress.h"

#include <QObject>
#include <QString>

#include <utility>
#include <vector>

class QWidget;

namespace http {
class HttpRequest;
}
namespace platform {
class ErrorReport;
}

// The presses of Send. Each makes the request a page describes, as sent (request::asSent), and returns; the request's
// end comes back by its signal, and the press arbiter decides what the status bar and the result box show of the
// presses still running, as they end in any order. Failures go to the error report.
class RequestSender : public QObject {
    Q_OBJECT
public:
    // The exit button is the one control that takes input while a synchronous request waits.
    RequestSender(ResultBox* resultBox, QWidget* exitButton, platform::ErrorReport& report, QObject* parent);

    void press(const request::Request& page);

signals:
    // What the first panel of the status bar is to say.
    void statusSaid(const QString& text);
    // The newest press failed: the second panel says so, and why.
    void failed(const QString& message);
    // How the newest press's request is coming on, while it runs.
    void progressed(const QString& text);

private:
    template <typename Step> void step(quint64 press, Step&& step);
    void ended(quint64 press, http::HttpRequest* request);
    void show(PressArbiter<ResultBox::Result>::Screen screen);

    ResultBox* m_resultBox;
    QWidget* m_exitButton;
    platform::ErrorReport& m_report;
    quint64 m_presses = 0;
    PressArbiter<ResultBox::Result> m_arbiter;
    WaitProgress m_progress;
    // The request waiting inside a synchronous send, and the presses whose requests end meanwhile: they
    // are taken up once it returns, when the window takes input again.
    http::HttpRequest* m_synchronous = nullptr;
    std::vector<std::pair<quint64, http::HttpRequest*>> m_endedMeanwhile;
};
