// Random edit scripts (keys, typing, clicks, drags, input methods, drops, the clipboard) applied to the
// one-line box and to a QLineEdit alike: after every step both hold the same text, cursor, selection and
// undo record. The first byte chooses the text the boxes start with, up to one longer than the piece the
// box lays out at once; each further pair of bytes is a step and its argument.
#include "editscript.h"
#include "fuzzcheck.h"
#include "linebox.h"

#include <QApplication>
#include <QLineEdit>

#include <limits>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct Boxes {
    QWidget lineEditWindow;
    QWidget boxWindow;
    QLineEdit* lineEdit = new QLineEdit(&lineEditWindow);
    LineBox* box = new LineBox(&boxWindow);

    Boxes()
    {
        lineEdit->setMaxLength(std::numeric_limits<int>::max());
        for (QWidget* shown : { static_cast<QWidget*>(lineEdit), static_cast<QWidget*>(box) }) {
            shown->setGeometry(0, 0, 160, 22);
            shown->window()->show();
            FUZZ_CHECK(QTest::qWaitForWindowExposed(shown->window()));
        }
    }
};

Boxes& boxes()
{
    static int argc = 1;
    static char name[] = "fuzz_lineedit";
    static char* argv[] = { name, nullptr };
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Made once and kept to the end: Qt's own globals go before static objects are destroyed.
    static auto* application = new QApplication(argc, argv);
    static auto* shown = new Boxes;
    Q_UNUSED(application);
    return *shown;
}

const QString Texts[] = { u""_s, u"hello world"_s, u"a.b, c(d)  e\t\u0001f \U0001F600e\u0301"_s,
    u"GET /api?q=1 "_s.repeated(50), u"ab, cd "_s.repeated(1300) };
const char16_t Typed[] = u"a .,(\t\u00e9\u0301\u304b";
const char* const Keys[] = { "Left", "Right", "Home", "End", "Backspace", "Delete", "Ctrl+Left", "Ctrl+Right",
    "Shift+Left", "Shift+Right", "Shift+Home", "Shift+End", "Ctrl+Shift+Left", "Ctrl+Shift+Right", "Ctrl+Backspace",
    "Ctrl+Delete", "undo", "redo", "selectall", "cut", "copy", "paste" };

QString step(std::uint8_t kind, std::uint8_t argument)
{
    const QString x = QString::number(argument % 170);
    switch (kind % 10) {
    case 0:
    case 1:
        return u'\'' + QString(QChar(Typed[argument % (std::size(Typed) - 1)]));
    case 2:
        return (argument & 1 ? u"+"_s : argument & 2 ? u"@@"_s : u"@"_s) + x;
    case 3:
        return x + u'>' + QString::number((argument * 7) % 170);
    case 4:
        return argument & 1 ? u"ime!\u304b"_s : QString(u"ime:"_s + QString(argument % 3, u'\u306a'));
    case 5:
        return argument & 1 ? QString(u"clip:pasted "_s + x) : QString(u"drop:"_s + x + u":dropped"_s);
    default:
        return QString::fromLatin1(Keys[argument % std::size(Keys)]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > 512)
        return 0;
    Boxes& shown = boxes();
    const QString& text = Texts[data[0] % std::size(Texts)];
    editscript::start(shown.lineEdit, text);
    editscript::start(shown.box, text);
    for (std::size_t i = 1; i + 1 < size; i += 2) {
        QStringList next = { step(data[i], data[i + 1]) };
        // Past the piece the box lays out at once, its glyphs stand where a QLineEdit's do to within a
        // pixel, not exactly: a click there may land a character away. Mouse steps are compared on
        // shorter texts only.
        const QString& first = next.front();
        const bool mouse
            = first.contains(u'>') || first.startsWith(u'@') || first.startsWith(u'+') || first.startsWith(u"drop");
        if (mouse && shown.lineEdit->text().size() > LineBox::WholeText)
            continue;
        // Keys go to an input method while it shows its pre-edit text: here it shows it and takes it back.
        if (next.front().startsWith(u"ime:"))
            next.append(u"ime:"_s);
        for (const QString& part : next) {
            QString difference;
            const bool comparable = editscript::applyToBoth(shown.lineEdit, shown.box, part, &difference);
            if (!difference.isEmpty())
                std::fprintf(stderr, "step %zu (%s): %s\n", i / 2, qPrintable(part), qPrintable(difference));
            FUZZ_CHECK(difference.isEmpty());
            if (!comparable)
                return 0;
        }
    }
    return 0;
}
