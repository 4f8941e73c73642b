#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace http {

// A status line's code: the three digits after the version; 0 when the line has none there.
int statusOf(QByteArrayView statusLine);
// What follows the code: "Not Found", spaces inside kept.
QByteArray reasonOf(QByteArrayView statusLine);

// The head of one response as it comes in, line by line: its status line, then its header lines, each
// without its line break.
class ResponseHead {
public:
    // Starts a head with its status line, "HTTP/1.1 404 Not Found".
    void start(QByteArrayView statusLine);
    // A header line. An obsolete folded line, one that starts with a space or a tab, goes on the line
    // before it, the fold made one space.
    void add(QByteArrayView line);

    const QByteArray& statusLine() const { return m_statusLine; }
    int status() const { return m_status; } // as statusOf
    QByteArray reason() const; // as reasonOf
    const QList<QByteArray>& lines() const { return m_lines; }

    // The values of the lines with this name, in order, trimmed.
    QList<QByteArray> values(QByteArrayView name) const;
    // The last of them; empty when there is none.
    QByteArray value(QByteArrayView name) const;
    // Every element of a list header over all its lines, lowercased: "Gzip, br" and a later line
    // "deflate" give gzip, br and deflate.
    QList<QByteArray> list(QByteArrayView name) const;

private:
    QByteArray m_statusLine;
    int m_status = 0;
    QList<QByteArray> m_lines;
};

} // namespace http
