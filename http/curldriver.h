#pragma once

#include <QObject>
#include <QTimer>

#include "curlapi.h"

#include <map>

class QSocketNotifier;

namespace http {

// Runs libcurl transfers in the thread's Qt event loop. libcurl names the sockets to watch and the
// time it wants to be called back; the loop wakes it only then, so a waiting transfer costs nothing.
// Each driver has connections of its own: nothing is shared with another driver.
class CurlDriver : public QObject {
    Q_OBJECT
public:
    explicit CurlDriver(const CurlApi& api, QObject* parent = nullptr);
    ~CurlDriver() override;

    void add(CURL* easy);
    void remove(CURL* easy);

signals:
    // libcurl has worked, and is out of its callbacks: because a socket was ready (true) or because a
    // time it asked for had come (false).
    void acted(bool socketReady);
    // A transfer has ended with this CURLcode; libcurl is out of its callbacks. CURL* is no registered
    // type: connect directly.
    void finished(CURL* easy, int result);

private:
    static int onSocket(CURL* easy, curl_socket_t socket, int what, void* self, void* socketData);
    static int onTimer(CURLM* multi, long milliseconds, void* self);
    void watch(curl_socket_t socket, int what);
    void act(curl_socket_t socket, int flags);

    struct Watch {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };

    const CurlApi& m_api;
    CURLM* m_multi;
    QTimer m_timer;
    std::map<curl_socket_t, Watch> m_watches;
};

} // namespace http
