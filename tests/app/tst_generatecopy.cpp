// Mouse input goes through the window, as a real mouse does.
#define QTEST_QPA_MOUSE_HANDLING

#include "datatable.h"
#include "generator.h"
#include "samplerequests.h"
#include "tabcontrol.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using request::Request;

// Generate and Copy on the "Generate Code" page, driven as the user drives them.
class TestGenerateCopy : public WindowTest {
    Q_OBJECT

private slots:
    void readsTheRequestFromTheWindow_data()
    {
        // request: what the code must be generated from
        const auto row = columns<bool, QString, Qt::CheckState, QList<request::Header>, QString, Request>(
            "post", "url", "synch", "rows", "data", "request");
        const QList<request::Header> none, rows { { u" A "_s, u" 1 "_s }, { {}, {} }, { u" A "_s, u"2"_s } };
        row("POST, checked", true, u"http://h/x"_s, Qt::Checked, none, u"a=1"_s,
            { u"POST"_s, u"http://h/x"_s, true, {}, u"a=1"_s });
        row("greyed is not checked", false, u"u"_s, Qt::PartiallyChecked, none, {},
            { u"GET"_s, u"u"_s, false, {}, {} });
        row("URL of spaces only", false, u"    "_s, Qt::Unchecked, none, {}, samples::atStart());
        row("spaces trimmed, tabs and breaks kept", false, u"  \thttp://h/a b\n  "_s, Qt::Unchecked, none,
            u"  \tx y\t  "_s, { u"GET"_s, u"\thttp://h/a b\n"_s, false, {}, u"\tx y\t"_s });
        row("header rows untrimmed, in order", false, u"u"_s, Qt::Unchecked, rows, u" d "_s,
            { u"GET"_s, u"u"_s, false, rows, u"d"_s });
    }

    void readsTheRequestFromTheWindow()
    {
        const auto [post, url, synch, rows, data, request]
            = fetch<bool, QString, Qt::CheckState, QList<request::Header>, QString, Request>(
                "post", "url", "synch", "rows", "data", "request");

        if (post)
            QTest::mouseClick(control("Option1(0)"), Qt::LeftButton);
        control<QLineEdit>("txtUrl")->setText(url);
        control<QCheckBox>("Check1")->setCheckState(synch);
        for (const request::Header& row : rows)
            control<QTreeWidget>("lvHeaders")->addTopLevelItem(new QTreeWidgetItem({ row.name, row.value }));
        control<QLineEdit>("Text1")->setText(data);
        for (const QString& language : codegen::languageNames()) {
            pickLanguage(language);
            press("Command5");
            QCOMPARE(codeBox().replace(u'\n', u"\r\n"_s), codegen::generateCode(request, language));
        }
    }

    void generateAndCopy()
    {
        // Before a language is picked, Generate empties the box and Copy copies that.
        control<QPlainTextEdit>("txtGeneratedCode")->setPlainText(u"left over"_s);
        press("Command5");
        QCOMPARE(codeBox(), QString());
        press("Command4");
        QCOMPARE(m_recorders->clipboard->texts, QStringList { QString() });

        // Copy takes what the box shows, line breaks as CR LF, also after a change not yet generated.
        pickLanguage(u"ASP"_s);
        press("Command5");
        const QString generated = codegen::generateCode(samples::atStart(), u"ASP");
        control<QLineEdit>("txtUrl")->setText(u"http://changed.example/"_s);
        press("Command4");
        QCOMPARE(m_recorders->clipboard->texts, QStringList({ QString(), generated }));

        // Generate replaces the box; what the user types into it is copied too.
        press("Command5");
        QVERIFY(codeBox().contains(u"http://changed.example/") && !codeBox().contains(u"(insert url here)"));
        auto* box = control<QPlainTextEdit>("txtGeneratedCode");
        box->moveCursor(QTextCursor::End);
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, u"MsgBox strResponse"_s);
        press("Command4");
        QVERIFY(m_recorders->clipboard->texts.last().endsWith(u"end if\r\n\r\n\r\nMsgBox strResponse"));
        QVERIFY(m_recorders->errorReport->messages.isEmpty());
    }

private:
    void pickLanguage(const QString& language)
    {
        control<QComboBox>("cboCode")->setCurrentText(language);
        QCOMPARE(control<QComboBox>("cboCode")->currentText(), language);
    }
    void press(const char* button)
    {
        control<TabControl>("SSTab1")->setCurrentIndex(1);
        QTest::mouseClick(control(button), Qt::LeftButton);
    }
    QString codeBox() const { return control<QPlainTextEdit>("txtGeneratedCode")->toPlainText(); }
};

QTEST_MAIN(TestGenerateCopy)
#include "tst_generatecopy.moc"
