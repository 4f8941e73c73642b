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
    if (error.error == QJsonParseError::DeepNesting && text.contains(u"\"log\""))
        return Result::refused(u"The HAR is not written as browsers write it: %1."_s.arg(error.errorString()));
    if (error.error != QJsonParseError::NoError || !entries.isArray())
        return std::nullopt; // JSON of some other kind
    const QJsonArray list = entries.toArray();
    if (list.size() != 1)
        return Result::refused(list.isEmpty()
                ? u"The HAR holds no request."_s
                : u"The HAR holds %1 requests: copy just one of them, and paste that."_s.arg(list.size()));
    const QJsonObject request = list[0].toObject().value(u"request").toObject();
    const QJsonObject data = request.value(u"postData").toObject();
    // The fields read are text, where given; one of another kind is refused, never read as empty.
    const auto notText = [](const QJsonValue& value) { return !value.isUndefined() && !value.isString(); };
    const QJsonValue headers = request.value(u"headers");
    for (const auto& [value, field] : { std::pair { request.value(u"method"), u"method"_s },
             { request.value(u"url"), u"url"_s }, { data.value(u"text"), u"postData.text"_s } }) {
        if (notText(value))
            return Result::refused(u"The HAR entry's %1 is not text."_s.arg(field));
    }
    if (!headers.isUndefined() && !headers.isArray())
        return Result::refused(u"The HAR entry's headers are not a list."_s);
    Description description;
    description.source = u"a HAR entry"_s;
    description.request.method = request.value(u"method").toString(u"GET"_s).toUpper();
    description.request.url = request.value(u"url").toString();
    if (description.request.url.isEmpty())
        return Result::refused(u"The HAR entry names no URL."_s);
    // The URL says where it goes, and the data how long it is.
    for (const QJsonValue header : headers.toArray()) {
        const QJsonValue name = header[u"name"], value = header[u"value"];
        if (!name.isString() || notText(value))
            return Result::refused(
                u"The HAR entry has a header whose %1 is not text."_s.arg(name.isString() ? u"value"_s : u"name"_s));
        if (!name.toString().isEmpty() && !request::sameName(name.toString(), u"Host")
            && !request::sameName(name.toString(), u"Content-Length"))
            description.request.headers.append({ name.toString(), value.toString() });
    }
    if (!data.contains(u"text") && !data.value(u"params").toArray().isEmpty())
        return Result::refused(u"The HAR entry gives its data as form fields only, which are not imported."_s);
    description.request.body = data.value(u"text").toString();
    return Result::imported(description);
}

} // namespace requestimport
