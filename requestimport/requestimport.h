#pragma once

#include "request.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// Requests brought in from text: a browser's "Copy as cURL" (bash or cmd), "Copy as fetch", "Copy as
// PowerShell" or HAR, a curl command as people type it, or a raw HTTP request. Nothing is ever run or
// fetched.
namespace requestimport {

struct Description {
    QString source; // "a curl command", "a fetch call", "a PowerShell command", "a HAR entry", "a raw HTTP request"
    // The method as the text gives it, in capitals; headers in the text's order, repeats kept, values as
    // given. None of these texts says whether to send asynchronously: async is left false.
    request::Request request;
    QStringList ignored; // what the text asked for that a request here does not carry
};

struct Result {
    enum class Kind {
        Plain, // not a request description: paste it as text
        Imported,
        Refused, // a description that cannot be brought in; `message` says why
    };
    Kind kind = Kind::Plain;
    Description description;
    QString message;

    static Result imported(const Description& description) { return { Kind::Imported, description, {} }; }
    static Result refused(const QString& message) { return { Kind::Refused, {}, message }; }
};

Result read(QStringView text);

// A block of "Name: value" lines, one header each, values as given after the colon and its spaces; an
// empty line (a raw request's blank line) ends the block. Empty when a line is not a header line.
QList<request::Header> headerLines(QStringView text);

// The first line of a raw HTTP message, "POST /path HTTP/1.1" or a response's "HTTP/1.1 200 OK".
struct StartLine {
    qsizetype length = 0; // with its line break; 0 when the text starts with neither
    QStringView method; // a request line's, when it ends with its version; else empty
    QStringView target;
};
StartLine startLine(QStringView text);

} // namespace requestimport
