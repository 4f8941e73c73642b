// Mouse input goes through the window, as a real mouse does: presses land on whatever lies at the point.
#define QTEST_QPA_MOUSE_HANDLING

#include "application.h"
#include "datatable.h"
#include "formlayout.h"
#include "generator.h"
#include "linebox.h"
#include "samplerequests.h"
#include "tabcontrol.h"
#include "windowtest.h"

#include <QAccessible>
#include <QComboBox>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

class TestFrmMain : public WindowTest {
    Q_OBJECT

private slots:
    void initialState()
    {
        // Fixed in size; the tabs share the strip; the load step's languages, none picked; GET chosen, the
        // focus in the URL box.
        QVERIFY(m_window->minimumSize() == QSize(339, 494) && m_window->maximumSize() == QSize(339, 494));
        QCOMPARE(tabControl()->tabBar()->width(), 35);
        QCOMPARE(tabControl()->tabBar()->tabRect(2).bottom() + 1, tabControl()->height());
        auto* languages = control<QComboBox>("cboCode");
        QCOMPARE(languages->count(), 3);
        QCOMPARE(languages->itemText(0) % u'|' % languages->itemText(1) % u'|' % languages->itemText(2),
            u"Visual Basic 6|Javascript|ASP"_s);
        QVERIFY(languages->currentIndex() == -1 && !languages->isEditable());
        QCOMPARE(control<QLabel>("StatusPanel1")->text(), u"Ready"_s);
        QVERIFY(control<QRadioButton>("Option1(1)")->isChecked() && !control<QRadioButton>("Option1(0)")->isChecked());
        QCOMPARE(m_window->objectName(), u"frmMain"_s);
        for (const QPushButton* button : m_window->findChildren<QPushButton*>())
            QVERIFY2(!button->isDefault(), qPrintable(button->objectName())); // none drawn as the default
        QCOMPARE(focusedControl(), u"txtUrl"_s);
        // The header list's columns are as wide as the form has them, and stay where they are.
        const QHeaderView* columns = control<QTreeWidget>("lvHeaders")->header();
        QVERIFY(!columns->sectionsMovable() && columns->sectionSize(0) == 96 && columns->sectionSize(1) == 96);
        // The program's name, the desktop entry it belongs to, and its icon in both sizes.
        setUpApplication(*qApp);
        QCOMPARE(QGuiApplication::applicationName() % u' ' % QGuiApplication::desktopFileName(), u"Reruzad reruzad"_s);
        QCOMPARE(QGuiApplication::windowIcon().availableSizes(), QList<QSize>({ QSize(16, 16), QSize(32, 32) }));
    }

    // A page has the face colour of a button, as a tab page has, whatever the desktop's colours.
    void pagesHaveTheButtonFace()
    {
        const QPalette desktop = QApplication::palette();
        QPalette colours = desktop;
        colours.setColor(QPalette::Button, Qt::darkCyan);
        QApplication::setPalette(colours);
        TabControl tabs(35);
        tabs.addPage(u"Page"_s);
        QApplication::setPalette(desktop);
        QCOMPARE(tabs.widget(0)->palette().color(QPalette::Window), QColor(Qt::darkCyan));
        // Filled with it, inside the frame a tab control draws around its pages.
        tabs.resize(200, 100);
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));
        const QImage drawn = tabs.grab().toImage();
        const QWidget* page = tabs.widget(0);
        QCOMPARE(drawn.pixelColor(page->mapTo(&tabs, page->rect().center())), QColor(Qt::darkCyan));
        QVERIFY(page->mapTo(&tabs, page->rect().bottomRight()).x() < tabs.width() - 1);
    }

    void geometry()
    {
        // Worked out by hand from the table's twips, rounded to the nearest pixel.
        QCOMPARE(formlayout::find("SSTab1")->pixels(), QRect(0, 0, 339, 473));
        QCOMPARE(formlayout::find("Label14")->pixels(), QRect(72, 240, 229, 20));
        QCOMPARE(formlayout::toPixels(formlayout::TabStripThickness), 35);
        QCOMPARE(formlayout::toPixels(7) + formlayout::toPixels(8), 1);

        // No caption is cut short, also where the desktop's look-alike font is wider than the window's own.
        for (const QLabel* label : m_window->findChildren<QLabel*>()) {
            QVERIFY2(label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                       : label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                qPrintable(label->objectName()));
        }
    }

    void fonts()
    {
        // Each font is the one named where the desktop has it, else a look-alike that is really there.
        auto check = [](const QFont& font, const QStringList& families, qreal points,
                         QFont::Weight weight = QFont::Normal, bool italic = false) {
            const QString used = QFontInfo(font).family().section(u" ["_s, 0, 0); // less the foundry
            QVERIFY2(families.contains(used), qPrintable(used));
            QCOMPARE(font.pointSizeF(), points);
            QCOMPARE(font.weight(), weight);
            QCOMPARE(font.italic(), italic);
        };
        const QStringList sansSerif { "MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans" };
        check(m_window->font(), sansSerif, 8.25);
        check(tabControl()->tabBar()->font(), { "Palatino Linotype", "Palatino", "P052", "TeX Gyre Pagella" }, 8.25);
        check(control("txtGeneratedCode")->font(), { "Tahoma", "DejaVu Sans" }, 12);
        for (const char* link : { "Label14", "Label16", "Label17" })
            check(control(link)->font(), sansSerif, 12, QFont::Normal, true);
        auto* address = control<QLabel>("Label13");
        check(address->font(), sansSerif, 13.5, QFont::Bold, false);
        QCOMPARE(address->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    }

    void tabOrder_data()
    {
        const auto row = columns<int, bool, QStringList>("page", "post", "order");
        // The two option buttons are one stop, entered at the chosen one.
        const auto testAjax = [](const char* option) {
            return QStringList { "txtUrl", "Text1", "txtHeader", "txtHeaderValue", "lvHeaders", "Command3", "Check1",
                option, "Command1", "Text2", "SSTab1", "Command2", "Command6" };
        };
        row("Test AJAX", 0, false, testAjax("Option1(1)"));
        row("Test AJAX, POST chosen", 0, true, testAjax("Option1(0)"));
        row("Generate Code", 1, false, { "cboCode", "Command5", "txtGeneratedCode", "Command4", "SSTab1", "Command6" });
        row("About", 2, false, { "SSTab1", "Command6" });
    }

    void tabOrder()
    {
        const auto [page, post, order] = fetch<int, bool, QStringList>("page", "post", "order");
        if (post)
            QTest::mouseClick(control("Option1(0)"), Qt::LeftButton);
        tabControl()->setCurrentIndex(page);
        QWidget* first = control(order.first().toLatin1().constData());
        (first == tabControl() ? tabControl()->tabBar() : first)->setFocus(Qt::TabFocusReason);

        // Tab goes round the showing page's controls in rising tab index and comes back to the first.
        QStringList forth { focusedControl() };
        for (int press = 0; press < order.size(); ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            forth << focusedControl();
        }
        QCOMPARE(forth, order + QStringList { order.first() });
    }

    // What a screen reader says of each control that takes the focus, page by page, and the label it is
    // labelled by, after a slash.
    void readerNames()
    {
        QStringList said;
        for (const auto& [page, names] : { std::pair { 0,
                                               "txtUrl Text1 txtHeader txtHeaderValue Command2 lvHeaders "
                                               "Command3 Check1 Option1(0) Option1(1) Command1 Text2 Command6" },
                 { 1, "cboCode Command5 txtGeneratedCode Command4" } }) {
            tabControl()->setCurrentIndex(page);
            for (const QString& name : QString::fromLatin1(names).split(u' ')) {
                QAccessibleInterface* reader
                    = QAccessible::queryAccessibleInterface(control(name.toLatin1().constData()));
                const auto labels = reader->relations(QAccessible::Label);
                said << reader->text(QAccessible::Name)
                        + (labels.isEmpty() ? QString() : u'/' + labels[0].first->object()->objectName());
            }
        }
        QCOMPARE(said.join(u'|'),
            u"Url/Label3|Data/Label2|Request header name|Request header value|+|Request headers|C|Synch|POST|GET|"
            "Send|Result Text/Label1|exit|Language/Label6|Generate|Generated code|Copy"_s);
        // Its access key brings the focus to the result box.
        tabControl()->setCurrentIndex(0);
        control("txtUrl")->setFocus();
        QTest::keyClick(m_window.get(), Qt::Key_R, Qt::AltModifier);
        QCOMPARE(focusedControl(), u"Text2"_s);
    }

    void links()
    {
        tabControl()->setCurrentIndex(2);
        QCOMPARE(control<QLabel>("Label12")->text(), u"Version: 1.0.0"_s);
        auto& opened = m_recorders->urlOpener->opened;
        auto click = [&](const char* label) {
            const std::size_t before = opened.size();
            QTest::mouseClick(control(label), Qt::LeftButton);
            return opened.size() == before + 1 ? opened.back() : QUrl();
        };
        // The maker's page is the root of the site the label shows; the two service pages share a site.
        const QUrl maker = click("Label13"), package = click("Label14"), services = click("Label16"),
                   design = click("Label17");
        for (const QUrl& url : { maker, package, services, design })
            QVERIFY2(url.scheme() == u"http" && !url.host().isEmpty(), qPrintable(url.toString()));
        QCOMPARE(maker.host(), control<QLabel>("Label13")->text());
        QVERIFY(maker.path().isEmpty() && package.path().isEmpty());
        QCOMPARE(services.host(), design.host());
        QCOMPARE(services.path() + design.path(), u"/webservices.php/websites.php"_s);
        QVERIFY(package.host() != maker.host() && package.host() != services.host());
        QCOMPARE(click("Label17"), design); // every click opens the page again

        // The heading, another caption and a press that leaves the label open nothing.
        QVERIFY(click("Label15").isEmpty() && click("Label8").isEmpty());
        QTest::mousePress(control("Label14"), Qt::LeftButton);
        QTest::mouseRelease(control("Label14"), Qt::LeftButton, {}, QPoint(-20, -20));
        // Nor does a left click that another button was pressed and let go during.
        QTest::mousePress(control("Label14"), Qt::LeftButton);
        QTest::mousePress(control("Label14"), Qt::RightButton);
        QTest::mouseRelease(control("Label14"), Qt::RightButton);
        QTest::mouseRelease(control("Label14"), Qt::LeftButton);
        QCOMPARE(opened.size(), std::size_t(5));
        QVERIFY(m_recorders->windowMover->moves.empty());
    }

    // Generate and Copy on the "Generate Code" page, driven as the user drives them.
    void generateAndCopy()
    {
        auto* box = control<QPlainTextEdit>("txtGeneratedCode");
        const auto press = [this](const char* button) {
            tabControl()->setCurrentIndex(1);
            QTest::mouseClick(control(button), Qt::LeftButton);
        };
        // Before a language is picked, Generate empties the box and Copy copies that.
        box->setPlainText(u"left over"_s);
        press("Command5");
        QCOMPARE(box->toPlainText(), QString());
        press("Command4");
        QCOMPARE(m_recorders->clipboard->texts, QStringList { QString() });

        // Copy takes what the box shows, line breaks as CR LF, also after a change not yet generated.
        control<QComboBox>("cboCode")->setCurrentText(u"ASP"_s);
        QCOMPARE(control<QComboBox>("cboCode")->currentText(), u"ASP"_s);
        press("Command5");
        const QString generated = codegen::generateCode(samples::atStart(), u"ASP");
        control<LineBox>("txtUrl")->setText(u"  http://changed.example/ "_s);
        press("Command4");
        QCOMPARE(m_recorders->clipboard->texts, QStringList({ QString(), generated }));

        // Generate replaces the box; what the user types into it is copied too.
        press("Command5");
        QVERIFY(box->toPlainText().contains(u"\"http://changed.example/\"")
            && !box->toPlainText().contains(u"(insert url here)"));
        box->moveCursor(QTextCursor::End);
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, u"MsgBox strResponse"_s);
        press("Command4");
        QVERIFY(m_recorders->clipboard->texts.last().endsWith(u"end if\r\n\r\n\r\nMsgBox strResponse"));
        QVERIFY(m_recorders->errorReport->messages.isEmpty());
    }

private:
    TabControl* tabControl() const { return control<TabControl>("SSTab1"); }
    // The named control of the window that holds the focus, or what is focused when it is not one.
    QString focusedControl() const
    {
        QWidget* focus = QApplication::focusWidget();
        return focus == tabControl()->tabBar() ? u"SSTab1"_s : focus ? focus->objectName() : u"(nothing)"_s;
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
