#pragma once

#include <QList>
#include <QString>

namespace codegen {

// One request header as the user entered it: neither trimmed nor checked.
struct Header {
    QString strHeaderTitle;
    QString strHeaderValue;
};

// The request the user described, as the code generator reads it from the window.
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
