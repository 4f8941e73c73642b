#include "forms.h"

#include "headerfield.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace requestimport {

std::optional<Result> readHar(QStringView text)
{
    if (!text.startsWith(u'{') || !text.contains(u"\"entries\""))
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    const QJsonValue entries = document.object().value(u"log").toObject().value(u"entries");
    if (error.error != QJsonParseError::NoError || !entries.isArray())
        return std::nullopt; // JSON of some other kind
    const QJsonArray list = entries.toArray();
    if (list.size() != 1)
        return Result::refused(list.isEmpty()
                ? u"The HAR holds no request."_s
                : u"The HAR holds %1 requests: copy just one of them, and paste that."_s.arg(list.size()));
    const QJsonObject request = list[0].toObject().value(u"request").toObject();
    Description description;
    description.source = u"a HAR entry"_s;
    description.request.strMethod = request.value(u"method").toString(u"GET"_s).toUpper();
    description.request.strURL = request.value(u"url").toString();
    if (description.request.strURL.isEmpty())
        return Result::refused(u"The HAR entry names no URL."_s);
    // The URL says where it goes, and the data how long it is.
    for (const QJsonValue header : request.value(u"headers").toArray()) {
        const QString name = header[u"name"].toString(), value = header[u"value"].toString();
        if (!name.isEmpty() && !isPseudoHeader(name) && !http::sameName(name, u"Host")
            && !http::sameName(name, u"Content-Length"))
            description.request.headers.append({ name, value });
    }
    const QJsonObject data = request.value(u"postData").toObject();
    if (!data.contains(u"text") && !data.value(u"params").toArray().isEmpty())
        return Result::refused(u"The HAR entry gives its data as form fields only, which are not imported."_s);
    description.request.strData = data.value(u"text").toString();
    return Result::imported(description);
}

} // namespace requestimport
