// Mouse input goes through the window, as a real mouse does: presses land on whatever lies at the point.
#define QTEST_QPA_MOUSE_HANDLING

#include "app/formlayout.h"
#include "app/frmmain.h"
#include "app/tabcontrol.h"
#include "textview/textview.h"
#include "windowtest.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include <memory>

class TestFrmMain : public WindowTest {
    Q_OBJECT

private slots:
    void initialState()
    {
        QCOMPARE(m_window->size(), QSize(339, 494));
        QVERIFY(m_window->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Reruzad"));

        auto* tabs = control<TabControl>("SSTab1");
        QCOMPARE(tabs->tabPosition(), QTabWidget::West);
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Test AJAX"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Generate Code"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("About"));
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(tabs->tabBar()->width(), 35);
        QCOMPARE(tabs->tabBar()->tabRect(2).bottom() + 1, tabs->height());

        auto* languages = control<QComboBox>("cboCode");
        QVERIFY(!languages->isEditable());
        QCOMPARE(languages->count(), 3);
        QCOMPARE(languages->itemText(0), QStringLiteral("Visual Basic 6"));
        QCOMPARE(languages->itemText(1), QStringLiteral("Javascript"));
        QCOMPARE(languages->itemText(2), QStringLiteral("ASP"));
        QCOMPARE(languages->currentIndex(), -1);
        QCOMPARE(languages->currentText(), QString());

        QCOMPARE(control<QLabel>("Label12")->text(), QStringLiteral("Version: 1.0.0"));
        QCOMPARE(control<QLabel>("StatusPanel1")->text(), QStringLiteral("Ready"));
        QCOMPARE(control<QLabel>("StatusPanel1")->width(), 96);
        QVERIFY(control<QRadioButton>("Option1(1)")->isChecked());
        QVERIFY(!control<QRadioButton>("Option1(0)")->isChecked());
        QCOMPARE(control<QRadioButton>("Option1(1)")->text(), QStringLiteral("GET"));
        QCOMPARE(control<QRadioButton>("Option1(0)")->text(), QStringLiteral("POST"));
        QCOMPARE(control<QCheckBox>("Check1")->checkState(), Qt::Unchecked);
        for (const char* box : { "txtUrl", "Text1", "txtHeader", "txtHeaderValue" })
            QVERIFY2(control<QLineEdit>(box)->text().isEmpty(), box);
        QVERIFY(control<TextView>("Text2")->text().isEmpty());
        QVERIFY(control<QPlainTextEdit>("txtGeneratedCode")->toPlainText().isEmpty());
        QVERIFY(!control<QPlainTextEdit>("txtGeneratedCode")->isReadOnly());

        auto* headers = control<QTreeWidget>("lvHeaders");
        QCOMPARE(headers->topLevelItemCount(), 0);
        QCOMPARE(headers->headerItem()->text(0), QStringLiteral("header"));
        QCOMPARE(headers->headerItem()->text(1), QStringLiteral("value"));
        QCOMPARE(headers->columnWidth(0), 96);
        QCOMPARE(headers->columnWidth(1), 96);

        QCOMPARE(focusedControl(), QStringLiteral("txtUrl"));
    }

    void geometry_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("page"); // -1: on the window itself
        for (const formlayout::Place& place : formlayout::places())
            QTest::newRow(place.name) << place.pixels() << int(place.container) - 1;
    }

    void geometry()
    {
        QFETCH(QRect, rect);
        QFETCH(int, page);

        auto* widget = control(QTest::currentDataTag());
        QCOMPARE(widget->mapTo(m_window.get(), QPoint(0, 0)), rect.topLeft());
        // A label sized to its caption grows where this desktop's look-alike font is wider than the window's own.
        auto* label = qobject_cast<QLabel*>(widget);
        if (label && !label->wordWrap()) {
            const QFontMetrics metrics = label->fontMetrics();
            QCOMPARE(widget->width(), qMax(rect.width(), metrics.horizontalAdvance(label->text())));
            QCOMPARE(widget->height(), qMax(rect.height(), metrics.height()));
        } else {
            QCOMPARE(widget->size(), rect.size());
        }

        // A page's controls show exactly while their page does.
        auto* tabs = control<TabControl>("SSTab1");
        for (int shown = 0; shown < tabs->count(); ++shown) {
            tabs->setCurrentIndex(shown);
            QCOMPARE(widget->isVisible(), page == -1 || page == shown);
        }
    }

    void twipsToPixels()
    {
        // Worked out by hand from the table's twips, rounded to the nearest pixel.
        QCOMPARE(formlayout::find("SSTab1")->pixels(), QRect(0, 0, 339, 473));
        QCOMPARE(formlayout::find("Label14")->pixels(), QRect(72, 240, 229, 20));
        QCOMPARE(formlayout::toPixels(formlayout::TabStripThickness), 35);
        QCOMPARE(formlayout::toPixels(7), 0);
        QCOMPARE(formlayout::toPixels(8), 1);
    }

    void stacking_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QString>("front");

        QTest::newRow("Text1 covers Label5 wholly") << QPoint(216, 68) << QStringLiteral("Text1");
        QTest::newRow("Text1 covers Label2") << QPoint(60, 64) << QStringLiteral("Text1");
        QTest::newRow("txtHeader covers Label4") << QPoint(140, 90) << QStringLiteral("txtHeader");
        QTest::newRow("Text2 covers Label1") << QPoint(60, 300) << QStringLiteral("Text2");
        QTest::newRow("Label1 shows above Text2") << QPoint(60, 290) << QStringLiteral("Label1");
        QTest::newRow("exit lies in front of the status bar") << QPoint(300, 486) << QStringLiteral("Command6");
        QTest::newRow("tab control covers the status bar's top") << QPoint(200, 471) << QStringLiteral("SSTab1");
        QTest::newRow("status bar below that") << QPoint(200, 490) << QStringLiteral("StatusBar1");
    }

    void stacking()
    {
        QFETCH(QPoint, point);
        QFETCH(QString, front);

        // The named control whose area the point falls in, from the front.
        QWidget* hit = m_window->childAt(point);
        while (hit && hit->objectName().isEmpty())
            hit = hit->parentWidget();
        QVERIFY(hit);
        QCOMPARE(hit->objectName(), front);
    }

    void fonts()
    {
        // Each font is the one named where the desktop has it, else a look-alike that is really there.
        auto drawnWith = [](const QFont& font, const QStringList& families) {
            const QString used = QFontInfo(font).family().section(QStringLiteral(" ["), 0, 0); // less the foundry
            if (!families.contains(used))
                qWarning() << "drawn with" << used << "not one of" << families;
            return families.contains(used);
        };
        const QStringList sansSerif { "MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans" };
        const QFont window = m_window->font();
        QVERIFY(drawnWith(window, sansSerif));
        QCOMPARE(window.pointSizeF(), 8.25);
        QCOMPARE(control<QLineEdit>("txtUrl")->font(), window);

        const QFont tabs = control<TabControl>("SSTab1")->tabBar()->font();
        QVERIFY(drawnWith(tabs, { "Palatino Linotype", "Palatino", "P052", "TeX Gyre Pagella" }));
        QCOMPARE(tabs.pointSizeF(), 8.25);

        const QFont code = control<QPlainTextEdit>("txtGeneratedCode")->font();
        QVERIFY(drawnWith(code, { "Tahoma", "DejaVu Sans" }));
        QCOMPARE(code.pointSizeF(), 12.0);
        QVERIFY(!code.bold());

        for (const char* link : { "Label14", "Label16", "Label17" }) {
            const QFont font = control(link)->font();
            QVERIFY(drawnWith(font, sansSerif));
            QCOMPARE(font.pointSizeF(), 12.0);
            QVERIFY(font.italic());
            QCOMPARE(font.weight(), QFont::Normal);
            QVERIFY(!font.underline());
        }

        auto* address = control<QLabel>("Label13");
        QVERIFY(drawnWith(address->font(), sansSerif));
        QCOMPARE(address->font().pointSizeF(), 13.5);
        QCOMPARE(address->font().weight(), QFont::Bold);
        QVERIFY(!address->font().italic());
        QCOMPARE(address->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(address->cursor().shape(), Qt::ArrowCursor);
    }

    void captionsFit_data()
    {
        QTest::addColumn<bool>("oneLine");
        for (const char* label : { "Label3", "Label7", "Label8", "Label14", "Label16", "Label17" })
            QTest::newRow(label) << true;
        for (const char* label :
            { "Label2", "Label4", "Label1", "Label6", "Label10", "Label9", "Label12", "Label15", "Label13" })
            QTest::newRow(label) << false;
    }

    void captionsFit()
    {
        QFETCH(bool, oneLine);

        // No caption is cut off: one-line captions fit their width, the others wrap within their box.
        auto* label = control<QLabel>(QTest::currentDataTag());
        const QFontMetrics metrics = label->fontMetrics();
        const QString caption = label->text().remove(u'&');
        if (oneLine) {
            QVERIFY2(!label->wordWrap(), qPrintable(caption));
            QVERIFY2(metrics.horizontalAdvance(caption) <= label->width(), qPrintable(caption));
            QVERIFY2(metrics.height() <= label->height(), qPrintable(caption));
        } else {
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(caption));
        }
    }

    void tabOrder_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("post");
        QTest::addColumn<QStringList>("order");

        // The two option buttons are one stop, entered at the chosen one.
        QTest::newRow("Test AJAX") << 0 << false
                                   << QStringList { "txtUrl", "Text1", "txtHeader", "txtHeaderValue", "lvHeaders",
                                          "Command3", "Check1", "Option1(1)", "Command1", "Text2", "SSTab1", "Command2",
                                          "Command6" };
        QTest::newRow("Test AJAX, POST chosen")
            << 0 << true
            << QStringList { "txtUrl", "Text1", "txtHeader", "txtHeaderValue", "lvHeaders", "Command3", "Check1",
                   "Option1(0)", "Command1", "Text2", "SSTab1", "Command2", "Command6" };
        QTest::newRow("Generate Code") << 1 << false
                                       << QStringList { "cboCode", "Command5", "txtGeneratedCode", "Command4", "SSTab1",
                                              "Command6" };
        QTest::newRow("About") << 2 << false << QStringList { "SSTab1", "Command6" };
    }

    void tabOrder()
    {
        QFETCH(int, page);
        QFETCH(bool, post);
        QFETCH(QStringList, order);

        if (post)
            QTest::mouseClick(control("Option1(0)"), Qt::LeftButton);
        control<TabControl>("SSTab1")->setCurrentIndex(page);
        QWidget* first = control(order.first().toLatin1().constData());
        if (auto* tabs = qobject_cast<TabControl*>(first))
            first = tabs->tabBar();
        first->setFocus(Qt::TabFocusReason);
        QCOMPARE(focusedControl(), order.first());

        // Tab goes round the showing page's controls in rising tab index and comes back to the first.
        QStringList visited { focusedControl() };
        for (int press = 0; press < order.size(); ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << focusedControl();
        }
        QCOMPARE(visited, order + QStringList { order.first() });

        // Shift+Tab goes the same way back.
        QStringList back { focusedControl() };
        for (int press = 0; press < order.size(); ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            back.prepend(focusedControl());
        }
        QCOMPARE(back, order + QStringList { order.first() });
    }

    void keysPressNoButton()
    {
        QList<std::shared_ptr<QSignalSpy>> spies;
        const auto buttons = m_window->findChildren<QPushButton*>();
        for (QPushButton* button : buttons) {
            QVERIFY2(!button->isDefault() && !button->autoDefault(), qPrintable(button->objectName()));
            if (button->objectName() != QLatin1String("Command6")) // would end the test program
                spies << std::make_shared<QSignalSpy>(button, &QPushButton::clicked);
        }
        for (const char* box : { "txtUrl", "Text1", "txtHeader" }) {
            QTest::keyClick(control(box), Qt::Key_Return);
            QTest::keyClick(control(box), Qt::Key_Escape);
        }
        for (const auto& spy : spies)
            QCOMPARE(spy->count(), 0);
    }

    void accessKeys()
    {
        // "&Result Text" takes the focus to the result box beneath it.
        QTest::keyClick(m_window.get(), Qt::Key_R, Qt::AltModifier);
        QCOMPARE(focusedControl(), QStringLiteral("Text2"));
        QVERIFY(control<QLabel>("Label1")->text().startsWith(u'&'));

        // "&Copy" presses the button.
        control<TabControl>("SSTab1")->setCurrentIndex(1);
        QSignalSpy copy(control<QPushButton>("Command4"), &QPushButton::clicked);
        QTest::keyClick(m_window.get(), Qt::Key_C, Qt::AltModifier);
        QTRY_COMPARE(copy.count(), 1); // the button shows itself pressed for a moment first
    }

    void resultBoxTakesNoTyping()
    {
        auto* result = control<TextView>("Text2");
        result->setText(QStringLiteral("response"));
        result->setFocus();
        QTest::keyClicks(result, QStringLiteral("typed"));
        for (const auto key : { Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return })
            QTest::keyClick(result, key);
        QTest::keyClick(result, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(result, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(result->text(), QStringLiteral("response"));
        QTest::keyClick(result, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(result->selectedText(), QStringLiteral("response"));
    }

    void pressOnTabControl_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("moves");
        QTest::addColumn<int>("pageAfter");

        const QPoint firstTab(17, 80), lastTab(17, 400), emptyArea(60, 250);
        QTest::newRow("left on the first tab") << firstTab << Qt::LeftButton << Qt::KeyboardModifiers() << true << 0;
        QTest::newRow("left on the last tab selects it too")
            << lastTab << Qt::LeftButton << Qt::KeyboardModifiers() << true << 2;
        QTest::newRow("right on a tab") << firstTab << Qt::RightButton << Qt::KeyboardModifiers() << true << 0;
        QTest::newRow("middle with Shift and Ctrl")
            << firstTab << Qt::MiddleButton << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier) << true
            << 0;
        QTest::newRow("left with Alt on the empty page")
            << emptyArea << Qt::LeftButton << Qt::KeyboardModifiers(Qt::AltModifier) << true << 0;
        QTest::newRow("right on the empty page")
            << emptyArea << Qt::RightButton << Qt::KeyboardModifiers() << true << 0;
        QTest::newRow("Send button") << QPoint(250, 275) << Qt::LeftButton << Qt::KeyboardModifiers() << false << 0;
        QTest::newRow("URL box") << QPoint(100, 28) << Qt::LeftButton << Qt::KeyboardModifiers() << false << 0;
        QTest::newRow("header list") << QPoint(100, 150) << Qt::RightButton << Qt::KeyboardModifiers() << false << 0;
        QTest::newRow("beside the GET caption")
            << QPoint(185, 220) << Qt::LeftButton << Qt::KeyboardModifiers() << false << 0;
        QTest::newRow("Url label") << QPoint(48, 8) << Qt::LeftButton << Qt::KeyboardModifiers() << false << 0;
        QTest::newRow("status bar") << QPoint(50, 485) << Qt::LeftButton << Qt::KeyboardModifiers() << false << 0;
    }

    void pressOnTabControl()
    {
        QFETCH(QPoint, point);
        QFETCH(Qt::MouseButton, button);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, moves);
        QFETCH(int, pageAfter);

        QTest::mousePress(m_window.get(), button, modifiers, point);
        QTest::mouseRelease(m_window.get(), button, modifiers, point);

        const auto& moved = m_recorders->windowMover->windows;
        QCOMPARE(moved.size(), std::size_t(moves ? 1 : 0));
        if (moves) {
            QCOMPARE(moved.front(), m_window.get());
            QCOMPARE(m_recorders->windowMover->positions.front(), QPointF(m_window->mapToGlobal(point)));
        }
        QCOMPARE(control<TabControl>("SSTab1")->currentIndex(), pageAfter);
        QVERIFY(m_recorders->urlOpener->opened.empty());
    }

    void links()
    {
        control<TabControl>("SSTab1")->setCurrentIndex(2);
        auto& opened = m_recorders->urlOpener->opened;
        auto click = [&](const char* label) {
            const std::size_t before = opened.size();
            QTest::mouseClick(control(label), Qt::LeftButton);
            return opened.size() == before + 1 ? opened.back() : QUrl();
        };

        const QUrl maker = click("Label13");
        const QUrl package = click("Label14");
        const QUrl services = click("Label16");
        const QUrl design = click("Label17");
        for (const QUrl& url : { maker, package, services, design }) {
            QVERIFY2(url.isValid(), qPrintable(url.toString()));
            QCOMPARE(url.scheme(), QStringLiteral("http"));
            QVERIFY(!url.host().isEmpty());
        }

        // The maker's page is the root of the site the label shows; the two service pages share a site.
        QCOMPARE(maker.host(), control<QLabel>("Label13")->text());
        QVERIFY(maker.path().isEmpty() && package.path().isEmpty());
        QCOMPARE(services.host(), design.host());
        QCOMPARE(services.path(), QStringLiteral("/webservices.php"));
        QCOMPARE(design.path(), QStringLiteral("/websites.php"));
        QVERIFY(package.host() != maker.host() && package.host() != services.host());

        // Every click opens the page again; the heading and a press that leaves the label open nothing.
        QCOMPARE(click("Label17"), design);
        QCOMPARE(click("Label17"), design);
        QCOMPARE(click("Label15"), QUrl());
        QTest::mousePress(control("Label14"), Qt::LeftButton);
        QTest::mouseRelease(control("Label14"), Qt::LeftButton, {}, QPoint(-20, -20));
        QCOMPARE(click("Label8"), QUrl());
        QCOMPARE(opened.size(), std::size_t(6));
        QVERIFY(m_recorders->windowMover->windows.empty());
    }

private:
    // The named control of the window that holds the focus, or what is focused when it is not one.
    QString focusedControl() const
    {
        QWidget* focus = QApplication::focusWidget();
        if (focus == control<TabControl>("SSTab1")->tabBar())
            return QStringLiteral("SSTab1");
        return focus ? focus->objectName() : QStringLiteral("(nothing)");
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
