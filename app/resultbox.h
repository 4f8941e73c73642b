#pragma once

#include "httprequest.h"

#include <QObject>
#include <QString>

#include <optional>

class QMenu;
class QWidget;
class TextView;

namespace platform {
struct Services;
}

// The result box and what goes with it: the response it shows, and its menu's Response Headers, Format
// JSON and Save Response.
class ResultBox : public QObject {
    Q_OBJECT
public:
    // What the box shows: a response's text, and the response it came with.
    struct Result {
        QString text;
        std::optional<http::Response> response;
        std::optional<bool> json; // whether the text is JSON, once asked
        bool formatted = false; // the box shows it indented
    };

    // The window is the parent of the menu and the save dialog.
    ResultBox(TextView* box, platform::Services& services, QWidget* window);

    void show(Result result);
    // Copy and Select All, and for a response, Response Headers, Format JSON (offered for JSON only) and
    // Save Response.
    QMenu* createMenu();

signals:
    // What the second panel of the status bar is to say, and its tooltip when that says more.
    void said(const QString& text, const QString& tooltip = {});

private:
    void copyResponseHeaders();
    void toggleJson(bool formatted);
    void saveResponse();

    TextView* m_box;
    platform::Services& m_services;
    QWidget* m_window;
    Result m_result;
};
