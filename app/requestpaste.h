#pragma once

#include "request.h"

#include <QObject>
#include <QString>

#include <optional>

// Requests and header lines pasted into the "Test AJAX" page, and the undo of an import, with what the
// second panel of the status bar says of each. It never touches the page itself: it is given the page
// as it is and answers with the page as it is to be.
class RequestPaste : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // What a paste or an undo does: the page as it is to be (none: the page stays as it is), and the
    // sentence the panel shows.
    struct Outcome {
        std::optional<request::Request> page;
        QString said;
    };
    // A request described by a text pasted into the URL box; none when the text is no request
    // description, which is then pasted as it is. Nothing is sent. The window sends GET and POST only:
    // another method is said, never swapped for one of these.
    std::optional<Outcome> pasteRequest(const QString& text, const request::Request& page);
    // "Name: value" lines pasted into the header name box, a raw request's header block too: the rows,
    // in order, values as given. None when the text holds no such lines, and is pasted as it is.
    static std::optional<std::pair<QList<request::Header>, QString>> headerRows(const QString& text);
    // The page as it was before the last import, while nothing has been changed since; the "Synch" flag,
    // no part of an import, as it is.
    std::optional<Outcome> undo(const request::Request& page);
    // The page was changed by hand: the import is no longer undone.
    void forget() { remember(std::nullopt); }

signals:
    void undoableChanged(bool undoable);

private:
    void remember(std::optional<request::Request> before);

    std::optional<request::Request> m_before;
};
