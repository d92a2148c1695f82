#include "code_cell.h"

#include "core/hex_text.h"

namespace wendax {

bool acceptsCodeKey(char c)
{
    return HexNibble(c) >= 0;
}

std::string codeCellSetText(std::string_view text, std::size_t length)
{
    return text.size() == length ? std::string(text) : std::string(length, '0');
}

std::string typeIntoCodeCell(std::string_view typed, std::size_t length)
{
    std::string accepted;
    for (const char c : typed) {
        if (acceptsCodeKey(c) && accepted.size() < length)
            accepted.push_back(c);
    }
    return codeCellSetText(accepted, length);
}

} // namespace wendax
