#pragma once

#include <QString>
#include <QStringView>

#include <cstring>

namespace codegen {

// A value to be written as a string literal: between double quotes, through the language's writer.
struct Quoted {
    QStringView value;
};

// Builds a text line by line; lines are separated by CR LF. Every quoted value goes through the one
// literal writer of the language. Text is written straight into a buffer made large enough up front,
// so that a body of many megabytes is copied once.
class LineBuilder {
public:
    using LiteralWriter = void (*)(LineBuilder& code, QStringView value);

    LineBuilder(LiteralWriter writer, qsizetype expectedSize);

    // Starts the next line.
    LineBuilder& line();
    LineBuilder& operator<<(QStringView text)
    {
        put(text);
        return *this;
    }
    LineBuilder& operator<<(Quoted value);

    // The text; with a line break after the last line when asked for.
    QString text(bool finalLineBreak) &&;

    // For the literal writers.
    void put(QStringView text)
    {
        const qsizetype size = text.size();
        if (m_end - m_at < size)
            makeRoom(size);
        std::memcpy(m_at, text.utf16(), size * sizeof(char16_t));
        m_at += size;
    }
    // Room for at least `size` more code units, to be written directly and then passed with advance().
    char16_t* room(qsizetype size)
    {
        if (m_end - m_at < size)
            makeRoom(size);
        return m_at;
    }
    void advance(qsizetype size) { m_at += size; }
    template <std::size_t N> void put(const char16_t (&constant)[N])
    {
        if (m_end - m_at < qsizetype(N))
            makeRoom(N);
        for (std::size_t i = 0; i + 1 < N; ++i)
            *m_at++ = constant[i];
    }

private:
    void makeRoom(qsizetype size);

    QString m_text;
    char16_t* m_at;
    char16_t* m_end;
    LiteralWriter m_writer;
    bool m_firstLine = true;
};

} // namespace codegen
