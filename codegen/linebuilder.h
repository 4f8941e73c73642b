#pragma once

#include <QString>
#include <QStringView>

#include <utility>

namespace codegen {

// A value to be written as a string literal: between double quotes, through the language's writer.
struct Quoted {
    QStringView value;
};

// Builds a text line by line; lines are separated by CR LF. Every quoted value goes through the one
// literal writer of the language.
class LineBuilder {
public:
    using LiteralWriter = void (*)(QString& out, QStringView value);

    LineBuilder(LiteralWriter writer, qsizetype expectedSize)
        : m_writer(writer)
    {
        m_text.reserve(expectedSize);
    }

    // Starts the next line.
    LineBuilder& line()
    {
        if (!std::exchange(m_firstLine, false))
            m_text += u"\r\n";
        return *this;
    }
    LineBuilder& operator<<(QStringView text)
    {
        m_text += text;
        return *this;
    }
    LineBuilder& operator<<(Quoted value)
    {
        m_text += u'"';
        m_writer(m_text, value.value);
        m_text += u'"';
        return *this;
    }

    // The text; with a line break after the last line when asked for.
    QString text(bool finalLineBreak) &&
    {
        if (finalLineBreak)
            m_text += u"\r\n";
        return std::move(m_text);
    }

private:
    QString m_text;
    LiteralWriter m_writer;
    bool m_firstLine = true;
};

} // namespace codegen
