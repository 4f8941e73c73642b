#include "request.h"

namespace request {

QString trimSpaces(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    if (begin == 0 && end == text.size())
        return text; // shared, not copied
    return text.sliced(begin, end - begin);
}

Request asSent(Request request)
{
    request.url = trimSpaces(request.url);
    request.body = trimSpaces(request.body);
    return request;
}

} // namespace request
