#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// A command line taken apart into its words the way the shell that would run it does, without running
// anything: no variable, no command substitution, no wildcard.
namespace requestimport {

struct Words {
    QStringList words;
    QString failure; // empty when the text is one command that splits cleanly
};

// bash and other POSIX shells: '…', $'…' with its escapes, "…" and $"…", backslashes, backslash-newline.
// A command that bash would expand (variables, ~, {a,b}) is refused.
Words splitPosix(QStringView text);

// cmd.exe and the C runtime's argument rules, as browsers write for Windows: ^ escapes (a ^ at a line's end
// goes on to the next), "…" with \" and "" for a quote, and \\ for a backslash.
Words splitWindows(QStringView text);

} // namespace requestimport
