#pragma once

#include "frmmain.h"
#include "recorders.h"

#include <QTest>

#include <memory>

// Base of the window's tests: a new, active window for every test function, with recorders in place of
// the desktop services, and its controls found by name.
class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        using namespace Qt::StringLiterals;
        m_recorders = std::make_unique<Recorders>();
        m_window = std::make_unique<frmMain>(m_recorders->services);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        // The pages out of sight are built once the window has painted.
        QTRY_VERIFY(m_window->findChild<QWidget*>(u"Label13"_s));
    }
    void cleanup()
    {
        m_window.reset();
        m_recorders.reset();
    }

protected:
    template <typename T = QWidget> T* control(const char* name) const
    {
        auto* found = m_window->findChild<T*>(QLatin1StringView(name));
        if (!found)
            qFatal("no control named %s", name);
        return found;
    }

    std::unique_ptr<Recorders> m_recorders;
    std::unique_ptr<frmMain> m_window;
};
