// Mouse input goes through the window, as a real mouse does.
#define QTEST_QPA_MOUSE_HANDLING

#include "generator.h"
#include "samplerequests.h"
#include "tabcontrol.h"
#include "windowtest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

// Generate and Copy on the "Generate Code" page, driven as the user drives them.
class TestGenerateCopy : public WindowTest {
    Q_OBJECT

private slots:
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
        control<QLineEdit>("txtUrl")->setText(u"  http://changed.example/ "_s);
        press("Command4");
        QCOMPARE(m_recorders->clipboard->texts, QStringList({ QString(), generated }));

        // Generate replaces the box; what the user types into it is copied too.
        press("Command5");
        QVERIFY(codeBox().contains(u"\"http://changed.example/\"") && !codeBox().contains(u"(insert url here)"));
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
