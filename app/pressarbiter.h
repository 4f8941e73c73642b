#pragma once

#include <QString>

#include <algorithm>
#include <optional>
#include <vector>

// Decides what the window shows while presses of Send run and end, in any order. The newest press still
// running is the one that counts. A press that ends while a newer one runs leaves what a failure of the
// newer falls back on, and older presses are then out of it. A failed press leaves the window as it was
// before it. Told of each press's start, of a state 0 seen while it waits, and of its end, it answers
// what changes on screen.
template <typename Result> class PressArbiter {
public:
    // What the window is to show now; a field left empty stays as it is.
    struct Screen {
        QString status; // the first panel of the status bar
        std::optional<Result> result; // the result box, and the second panel's account of it
        std::optional<QString> failure; // the second panel: the newest press failed, and why
    };

    explicit PressArbiter(QString status)
        : m_status(std::move(status))
    {
    }

    Screen started(quint64 press)
    {
        using namespace Qt::StringLiterals;
        m_running.push_back({ press, m_status, {} });
        return said(u"Loading.."_s);
    }

    Screen uninitialized(quint64 press)
    {
        using namespace Qt::StringLiterals;
        return said(!m_running.empty() && m_running.back().id == press ? u"Unintialized"_s : m_status);
    }

    Screen succeeded(quint64 press, Result result)
    {
        using namespace Qt::StringLiterals;
        const auto found = find(press);
        if (found == m_running.end())
            return said(m_status); // a newer press has ended before it
        const auto next = m_running.erase(m_running.begin(), std::next(found));
        if (next == m_running.end()) {
            Screen screen = said(u"Ready"_s);
            screen.result = std::move(result);
            return screen;
        }
        next->before = u"Ready"_s;
        next->fallback = std::move(result);
        return said(m_status);
    }

    Screen failed(quint64 press, const QString& message)
    {
        const auto found = find(press);
        if (found == m_running.end())
            return said(m_status);
        if (const auto next = std::next(found); next != m_running.end()) {
            // The next newer press now stands where this one stood.
            next->before = std::move(found->before);
            next->fallback = std::move(found->fallback);
            m_running.erase(found);
            return said(m_status);
        }
        Screen screen = said(std::move(found->before));
        screen.result = std::move(found->fallback);
        screen.failure = message;
        m_running.erase(found);
        return screen;
    }

private:
    // A press still running, and what the window is to show should it and every newer one fail.
    struct Press {
        quint64 id;
        QString before;
        std::optional<Result> fallback;
    };

    auto find(quint64 press)
    {
        return std::find_if(m_running.begin(), m_running.end(), [press](const Press& p) { return p.id == press; });
    }

    Screen said(QString status)
    {
        m_status = status;
        return { std::move(status), {}, {} };
    }

    QString m_status;
    std::vector<Press> m_running; // oldest first
};
