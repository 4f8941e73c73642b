#include "responsehead.h"

#include "headerfield.h"

namespace http {

namespace {

    bool isDigit(char c)
    {
        return c >= '0' && c <= '9';
    }

    bool isBlank(char c)
    {
        return c == ' ' || c == '\t';
    }

    // Where the next word of the line starts, from `at`: past the word there and the blanks after it.
    qsizetype nextWord(QByteArrayView line, qsizetype at)
    {
        while (at < line.size() && !isBlank(line[at]))
            ++at;
        while (at < line.size() && isBlank(line[at]))
            ++at;
        return at;
    }

} // namespace

int statusOf(QByteArrayView statusLine)
{
    // "HTTP/1.1 200 OK", "HTTP/2 204": a code is three digits, and a fourth makes it none.
    const QByteArrayView code = statusLine.sliced(nextWord(statusLine, 0));
    const bool three = code.size() >= 3 && isDigit(code[0]) && isDigit(code[1]) && isDigit(code[2])
        && (code.size() == 3 || !isDigit(code[3]));
    return three ? (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0') : 0;
}

QByteArray reasonOf(QByteArrayView statusLine)
{
    const qsizetype code = nextWord(statusLine, 0);
    if (code == statusLine.size())
        return {};
    return statusLine.sliced(nextWord(statusLine, code)).trimmed().toByteArray();
}

void ResponseHead::start(QByteArrayView statusLine)
{
    m_statusLine = statusLine.toByteArray();
    m_lines.clear();
    m_status = statusOf(statusLine);
}

void ResponseHead::add(QByteArrayView line)
{
    if (!line.isEmpty() && isBlank(line.front()) && !m_lines.isEmpty()) {
        // The fold is the line break and the blanks after it; what follows them is kept as it came.
        while (!line.isEmpty() && isBlank(line.front()))
            line = line.sliced(1);
        m_lines.last() += ' ' + line.toByteArray();
    } else {
        m_lines.append(line.toByteArray());
    }
}

QByteArray ResponseHead::reason() const
{
    return reasonOf(m_statusLine);
}

QList<QByteArray> ResponseHead::values(QByteArrayView name) const
{
    QList<QByteArray> values;
    for (const QByteArray& line : m_lines) {
        if (const auto field = request::splitField(QByteArrayView(line));
            field && request::sameName(field->name.trimmed(), name))
            values.append(field->value.trimmed().toByteArray());
    }
    return values;
}

QByteArray ResponseHead::value(QByteArrayView name) const
{
    const QList<QByteArray> all = values(name);
    return all.isEmpty() ? QByteArray() : all.last();
}

QList<QByteArray> ResponseHead::list(QByteArrayView name) const
{
    QList<QByteArray> elements;
    for (const QByteArray& value : values(name)) {
        for (const QByteArray& element : value.split(',')) {
            if (const QByteArray trimmed = element.trimmed(); !trimmed.isEmpty())
                elements.append(trimmed.toLower());
        }
    }
    return elements;
}

} // namespace http
