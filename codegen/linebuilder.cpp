#include "codegen/linebuilder.h"

namespace codegen {

namespace {
    constexpr QStringView LineBreak = u"\r\n";
}

LineBuilder::LineBuilder(LiteralWriter writer, qsizetype expectedSize)
    : m_writer(writer)
{
    m_text.reserve(expectedSize);
}

LineBuilder& LineBuilder::line()
{
    if (!m_firstLine)
        m_text.append(LineBreak);
    m_firstLine = false;
    return *this;
}

LineBuilder& LineBuilder::operator<<(QStringView text)
{
    m_text.append(text);
    return *this;
}

LineBuilder& LineBuilder::operator<<(Quoted value)
{
    m_text.append(u'"');
    m_writer(m_text, value.value);
    m_text.append(u'"');
    return *this;
}

QString LineBuilder::text(bool finalLineBreak) &&
{
    if (finalLineBreak)
        m_text.append(LineBreak);
    return std::move(m_text);
}

} // namespace codegen
