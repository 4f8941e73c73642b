#pragma once

#include "services.h"

#include <QPointF>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <vector>

// Stand-ins for the desktop services that write down what the window asked of them.
struct Recorders {
    struct UrlOpener final : platform::UrlOpener {
        void open(const QUrl& url) override { opened.push_back(url); }
        std::vector<QUrl> opened;
    };
    struct WindowMover final : platform::WindowMover {
        void startMove(QWidget* window, const QPointF& at) override { moves.push_back({ window, at }); }
        std::vector<std::pair<QWidget*, QPointF>> moves; // each window asked to move, and where it was pressed
    };
    struct Clipboard final : platform::Clipboard {
        void setText(const QString& text) override { texts.push_back(text); }
        QStringList texts;
    };
    struct ErrorReport final : platform::ErrorReport {
        void report(const QString& message) override { messages.push_back(message); }
        QStringList messages;
    };

    struct SaveDialog final : platform::SaveDialog {
        QString choose(QWidget*, const QString& suggestedName) override
        {
            suggested.push_back(suggestedName);
            return answer;
        }
        QString answer; // the path the user picks; empty: cancelled
        QStringList suggested;
    };

    Recorders()
    {
        services.urlOpener.reset(urlOpener = new UrlOpener);
        services.windowMover.reset(windowMover = new WindowMover);
        services.clipboard.reset(clipboard = new Clipboard);
        services.errorReport.reset(errorReport = new ErrorReport);
        services.saveDialog.reset(saveDialog = new SaveDialog);
    }

    platform::Services services;
    UrlOpener* urlOpener;
    WindowMover* windowMover;
    Clipboard* clipboard;
    ErrorReport* errorReport;
    SaveDialog* saveDialog;
};
