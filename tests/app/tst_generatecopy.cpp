// Mouse input goes through the window, as a real mouse does.
#define QTEST_QPA_MOUSE_HANDLING

#include "app/frmmain.h"
#include "app/tabcontrol.h"
#include "codegen/generator.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using codegen::Request;

// Generate and Copy on the "Generate Code" page, driven as the user drives them.
class TestGenerateCopy : public WindowTest {
    Q_OBJECT

private slots:
    void readsTheRequestFromTheWindow_data()
    {
        QTest::addColumn<bool>("post");
        QTest::addColumn<QString>("url");
        QTest::addColumn<Qt::CheckState>("synch");
        QTest::addColumn<QList<codegen::Header>>("rows");
        QTest::addColumn<QString>("data");
        QTest::addColumn<Request>("request"); // what the code must be generated from

        const QList<codegen::Header> none;
        QTest::newRow("as the window starts")
            << false << "" << Qt::Unchecked << none << "" << Request { "GET", "(insert url here)", false, {}, "" };
        QTest::newRow("POST, checked") << true << "http://h/x" << Qt::Checked << none << "a=1"
                                       << Request { "POST", "http://h/x", true, {}, "a=1" };
        QTest::newRow("greyed is not checked")
            << false << "u" << Qt::PartiallyChecked << none << "" << Request { "GET", "u", false, {}, "" };
        QTest::newRow("URL of spaces only")
            << false << "    " << Qt::Unchecked << none << "" << Request { "GET", "(insert url here)", false, {}, "" };
        QTest::newRow("spaces trimmed, tabs and breaks kept")
            << false << "  \thttp://h/a b\n  " << Qt::Unchecked << none << "  \tx y\t  "
            << Request { "GET", "\thttp://h/a b\n", false, {}, "\tx y\t" };
        QTest::newRow("header rows untrimmed, in order")
            << false << "u" << Qt::Unchecked << QList<codegen::Header> { { " A ", " 1 " }, { "", "" }, { " A ", "2" } }
            << " d " << Request { "GET", "u", false, { { " A ", " 1 " }, { "", "" }, { " A ", "2" } }, "d" };
    }

    void readsTheRequestFromTheWindow()
    {
        QFETCH(bool, post);
        QFETCH(QString, url);
        QFETCH(Qt::CheckState, synch);
        QFETCH(QList<codegen::Header>, rows);
        QFETCH(QString, data);
        QFETCH(Request, request);

        if (post)
            QTest::mouseClick(control("Option1(0)"), Qt::LeftButton);
        control<QLineEdit>("txtUrl")->setText(url);
        control<QCheckBox>("Check1")->setCheckState(synch);
        for (const codegen::Header& row : rows)
            control<QTreeWidget>("lvHeaders")
                ->addTopLevelItem(new QTreeWidgetItem({ row.strHeaderTitle, row.strHeaderValue }));
        control<QLineEdit>("Text1")->setText(data);

        for (const QString& language : codegen::languageNames()) {
            pickLanguage(language);
            press("Command5");
            QCOMPARE(codeBox().replace(u'\n', QStringLiteral("\r\n")), codegen::generateCode(request, language));
        }
    }

    void generateReplacesTheBox()
    {
        pickLanguage(QStringLiteral("Javascript"));
        press("Command5");
        QString first = codeBox();
        QVERIFY(first.contains(u"(insert url here)"));

        control<QLineEdit>("txtUrl")->setText(QStringLiteral("http://second.example/"));
        press("Command5");
        QCOMPARE(
            codeBox(), first.replace(QStringLiteral("(insert url here)"), QStringLiteral("http://second.example/")));
    }

    void generateBeforeALanguageIsPicked()
    {
        control<QPlainTextEdit>("txtGeneratedCode")->setPlainText(QStringLiteral("left over"));
        press("Command5");
        QCOMPARE(codeBox(), QString());
        QCOMPARE(control<QComboBox>("cboCode")->currentIndex(), -1);
    }

    void copyTakesTheBoxAsItIs()
    {
        pickLanguage(QStringLiteral("ASP"));
        press("Command5");
        const QString generated = codegen::generateCode({ "GET", "(insert url here)", false, {}, "" }, u"ASP");
        QVERIFY(generated.endsWith(u"end if\r\n\r\n"));

        // A change without Generate: Copy still takes what the box shows, line breaks as CR LF.
        control<QLineEdit>("txtUrl")->setText(QStringLiteral("http://changed.example/"));
        press("Command4");
        press("Command4");
        QCOMPARE(m_recorders->clipboard->texts, QStringList({ generated, generated }));
        QVERIFY(m_recorders->errorReport->messages.isEmpty());
    }

    void copyOfAnEmptyBox()
    {
        press("Command4");
        QCOMPARE(m_recorders->clipboard->texts, QStringList { QString() });
    }

    void copyAfterTheUserEdited()
    {
        // The box is editable; Enter starts a new line, which is copied as CR LF like every other.
        pickLanguage(QStringLiteral("Visual Basic 6"));
        press("Command5");
        auto* box = control<QPlainTextEdit>("txtGeneratedCode");
        box->moveCursor(QTextCursor::End);
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, QStringLiteral("MsgBox strResponse"));
        press("Command4");
        const QString generated
            = codegen::generateCode({ "GET", "(insert url here)", false, {}, "" }, u"Visual Basic 6");
        QCOMPARE(m_recorders->clipboard->texts.value(0), generated + QStringLiteral("\r\nMsgBox strResponse"));
    }

private:
    void pickLanguage(const QString& language)
    {
        auto* languages = control<QComboBox>("cboCode");
        languages->setCurrentIndex(languages->findText(language));
        QCOMPARE(languages->currentText(), language);
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
