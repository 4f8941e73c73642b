#include "bodypipeline.h"

#include "httprequest.h"
#include "hugepages.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace http {

QString tooLarge(const QString& size)
{
    return u"the response is larger than %1 MB"_s.arg(HttpRequest::MaxResponseBytes >> 20) % size
        % u", more than this program reads.";
}

BodyPipeline::BodyPipeline(qsizetype codings, const QByteArray& contentType, QByteArray& body, qint64 expectedLength)
    : m_decoder(contentType)
    , m_body(body)
{
    for (qsizetype i = 0; i < codings; ++i)
        m_inflaters.push_back(std::make_unique<Inflater>());
    m_body.clear();
    if (expectedLength > 0) {
        m_decoder.reserve(expectedLength);
        m_body.reserve(expectedLength);
        foundation::preferHugePages(m_body.constData(), m_body.capacity());
    }
}

BodyPipeline::Fed BodyPipeline::feed(QByteArrayView bytes)
{
    m_kept = false;
    if (!undo(0, bytes))
        return Fed::Failed;
    return m_kept ? Fed::Kept : Fed::Held;
}

bool BodyPipeline::complete() const
{
    return std::all_of(
        m_inflaters.cbegin(), m_inflaters.cend(), [](const auto& inflater) { return inflater->finished(); });
}

// Undoes the codings from the one given on, each giving its bytes to the next.
bool BodyPipeline::undo(std::size_t coding, QByteArrayView bytes)
{
    if (coding == m_inflaters.size())
        return keep(bytes);
    Inflater& inflater = *m_inflaters[coding];
    const bool fed = inflater.feed(bytes, [this, coding, &inflater](QByteArrayView plain) {
        if (inflater.given() > HttpRequest::MaxResponseBytes) {
            m_failure = tooLarge();
            return false;
        }
        return undo(coding + 1, plain);
    });
    if (!fed && m_failure.isEmpty())
        m_failure = u"its compressed body is damaged."_s;
    return fed;
}

bool BodyPipeline::keep(QByteArrayView bytes)
{
    m_received += bytes.size();
    if (m_received > HttpRequest::MaxResponseBytes) {
        m_failure = tooLarge();
        return false;
    }
    m_body.append(bytes);
    m_decoder.feed(bytes);
    m_kept = true;
    return true;
}

} // namespace http
