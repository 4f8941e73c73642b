#pragma once

#include "httprequest.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>

// What the status bar's second panel says while the newest press's request runs, at most ten times a
// second and only when the words change: how long it has waited for an answer, then how much of the
// answer has come. Its timer runs only while the request it follows does.
class WaitProgress : public QObject {
    Q_OBJECT
public:
    explicit WaitProgress(QObject* parent = nullptr);

    // From now on this request, and no other: the one before is no longer followed. Following stops
    // when the request ends or goes.
    void follow(http::HttpRequest* request);

    // "waiting · 3 s" from a second on, until the final response's head is in; then "1.2 MB of 2.0 MB ·
    // 60 %", or "1.2 MB" when the length is not known. Nothing in the first second.
    static QString text(std::chrono::milliseconds waited, const http::Arrival& arrival);

signals:
    void said(const QString& text);

private:
    void tick();
    void stop();

    QPointer<http::HttpRequest> m_request;
    QMetaObject::Connection m_ended;
    QTimer m_ticks { this };
    QElapsedTimer m_waited;
    QString m_said;
};
