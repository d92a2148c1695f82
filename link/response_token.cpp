#include "response_token.h"

#include <algorithm>

namespace wendax {

std::optional<std::string_view> ResponseToken::append(std::uint8_t b, std::size_t limit)
{
    if (m_length == 0)
        return std::nullopt;
    if (m_length < std::min(limit, kFrameLimit))
        m_text[m_length++] = static_cast<char>(b);
    return text();
}

void ResponseToken::settle(std::uint8_t b, std::size_t limit)
{
    const bool tokenCharacter = isTokenCharacter(b);
    if (tokenCharacter && m_length == 0) {
        m_text[0] = static_cast<char>(b);
        m_length = 1;
    }
    if (m_length >= limit || !tokenCharacter)
        m_length = 0;
}

void ResponseToken::step(std::uint8_t b, std::size_t limit)
{
    append(b, limit);
    settle(b, limit);
}

} // namespace wendax
