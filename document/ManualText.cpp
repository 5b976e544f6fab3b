#include "ManualText.h"

#include "TextEncoding.h"

#include <algorithm>

namespace tintwright {

std::string ManualText::fromBytes(std::string_view bytes) {
    const std::string all = TextEncoding::toUtf8(TextEncoding::withoutBom(bytes));
    std::string text;
    std::size_t pos = 0;
    while (pos < all.size()) {
        const std::size_t end = std::min(all.find_first_of("\r\n", pos), all.size());
        text.append(all, pos, end - pos);
        text += "\r\n";
        pos = end + TextEncoding::lineBreak(all, end);
    }
    return text;
}

} // namespace tintwright
