#pragma once

#include <QList>
#include <QString>

// The request as the user describes it, which the window sends, the generator writes out and the
// import fills in; and the text rules every one of them shares. Qt Core only.
namespace request {

// One request header as the user entered it: neither trimmed nor checked.
struct Header {
    QString name;
    QString value;
};

// A request as the user describes it on the "Test AJAX" page, or as an imported text describes it: the
// method, the URL and the body as written (whoever sends or writes it out trims them; see trimSpaces),
// whether open runs asynchronously ("Synch" checked), and the header rows in order.
struct Request {
    QString method;
    QString url;
    bool async = false;
    QList<Header> headers;
    QString body;
};

// Leading and trailing spaces removed, and nothing else: tabs and line breaks stay.
QString trimSpaces(const QString& text);

// The request as it is sent and written out: its URL and body with their spaces trimmed, the rest as
// the user gave it.
Request asSent(Request request);

} // namespace request
