#pragma once

#include <QList>
#include <QString>

namespace codegen {

// One request header as the user entered it: neither trimmed nor checked.
struct Header {
    QString strHeaderTitle;
    QString strHeaderValue;
};

// A request as the user describes it on the "Test AJAX" page, or as an imported text describes it: the
// method, the URL and the data as written (whoever sends or writes it out trims them), the "Synch" flag
// that open is given, and the header rows in order.
struct Request {
    QString strMethod;
    QString strURL;
    bool blnSync = false;
    QList<Header> headers;
    QString strData;
};

// Leading and trailing spaces removed, and nothing else: tabs and line breaks stay.
QString trimSpaces(const QString& text);

} // namespace codegen
