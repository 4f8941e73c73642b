#include "curldriver.h"

#include <QPointer>
#include <QSocketNotifier>

#include <limits>
#include <utility>
#include <vector>

namespace http {

CurlDriver::CurlDriver(const CurlApi& api, QObject* parent)
    : QObject(parent)
    , m_api(api)
    , m_multi(api.multi_init())
{
    if (!m_multi)
        throw std::bad_alloc();
    m_api.multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &CurlDriver::onSocket);
    m_api.multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    m_api.multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &CurlDriver::onTimer);
    m_api.multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
}

CurlDriver::~CurlDriver()
{
    // Cleaning up tells the socket callback to forget every socket; the notifiers go with this object.
    m_api.multi_cleanup(m_multi);
}

void CurlDriver::add(CURL* easy)
{
    // libcurl asks for a timer of 0 ms at once, and the transfer starts from the event loop.
    m_api.multi_add_handle(m_multi, easy);
}

void CurlDriver::remove(CURL* easy)
{
    m_api.multi_remove_handle(m_multi, easy);
}

int CurlDriver::onSocket(CURL*, curl_socket_t socket, int what, void* self, void*)
{
    static_cast<CurlDriver*>(self)->watch(socket, what);
    return 0;
}

int CurlDriver::onTimer(CURLM*, long milliseconds, void* self)
{
    auto* driver = static_cast<CurlDriver*>(self);
    if (milliseconds < 0)
        driver->m_timer.stop();
    else
        driver->m_timer.start(int(qMin<long>(milliseconds, std::numeric_limits<int>::max())));
    return 0;
}

void CurlDriver::watch(curl_socket_t socket, int what)
{
    Watch& watch = m_watches[socket];
    // A notifier may be the one whose signal is being handled: it is switched off now and deleted later.
    auto setUp = [&](QSocketNotifier*& notifier, QSocketNotifier::Type type, bool wanted) {
        if (what == CURL_POLL_REMOVE) {
            if (notifier) {
                notifier->setEnabled(false);
                notifier->deleteLater();
                notifier = nullptr;
            }
            return;
        }
        if (!notifier && wanted) {
            notifier = new QSocketNotifier(socket, type, this);
            const int flags = type == QSocketNotifier::Read ? CURL_CSELECT_IN : CURL_CSELECT_OUT;
            connect(notifier, &QSocketNotifier::activated, this, [this, socket, flags] { act(socket, flags); });
        }
        if (notifier)
            notifier->setEnabled(wanted);
    };
    setUp(watch.read, QSocketNotifier::Read, what == CURL_POLL_IN || what == CURL_POLL_INOUT);
    setUp(watch.write, QSocketNotifier::Write, what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
    if (what == CURL_POLL_REMOVE)
        m_watches.erase(socket);
}

void CurlDriver::act(curl_socket_t socket, int flags)
{
    int running = 0;
    m_api.multi_socket_action(m_multi, socket, flags, &running);

    std::vector<std::pair<CURL*, CURLcode>> ended;
    int left = 0;
    while (CURLMsg* message = m_api.multi_info_read(m_multi, &left)) {
        if (message->msg == CURLMSG_DONE)
            ended.emplace_back(message->easy_handle, message->data.result);
    }
    // What is told below may end this driver's owner, and with it the driver.
    const QPointer<CurlDriver> alive(this);
    for (const auto& [easy, result] : ended) {
        if (alive)
            emit finished(easy, result);
    }
    if (alive)
        emit acted(socket != CURL_SOCKET_TIMEOUT);
}

} // namespace http
