#include "codegen/linebuilder.h"

#include <algorithm>

namespace codegen {

LineBuilder::LineBuilder(LiteralWriter writer, qsizetype expectedSize)
    : m_writer(writer)
{
    m_text.resize(expectedSize);
    m_at = reinterpret_cast<char16_t*>(m_text.data());
    m_end = m_at + m_text.size();
}

void LineBuilder::makeRoom(qsizetype size)
{
    const qsizetype used = m_at - reinterpret_cast<char16_t*>(m_text.data());
    m_text.resize(std::max(2 * m_text.size(), used + size));
    m_at = reinterpret_cast<char16_t*>(m_text.data()) + used;
    m_end = reinterpret_cast<char16_t*>(m_text.data()) + m_text.size();
}

LineBuilder& LineBuilder::line()
{
    if (!m_firstLine)
        put(u"\r\n");
    m_firstLine = false;
    return *this;
}

LineBuilder& LineBuilder::operator<<(Quoted value)
{
    put(u"\"");
    m_writer(*this, value.value);
    put(u"\"");
    return *this;
}

QString LineBuilder::text(bool finalLineBreak) &&
{
    if (finalLineBreak)
        put(u"\r\n");
    m_text.truncate(m_at - reinterpret_cast<char16_t*>(m_text.data()));
    return std::move(m_text);
}

} // namespace codegen
