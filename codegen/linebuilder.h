#pragma once

#include <QString>
#include <QStringView>

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

    LineBuilder(LiteralWriter writer, qsizetype expectedSize);

    // Starts the next line.
    LineBuilder& line();
    LineBuilder& operator<<(QStringView text);
    LineBuilder& operator<<(Quoted value);

    // The text; with a line break after the last line when asked for.
    QString text(bool finalLineBreak) &&;

private:
    QString m_text;
    LiteralWriter m_writer;
    bool m_firstLine = true;
};

} // namespace codegen
