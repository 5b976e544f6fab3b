#include "BpsFormat.h"

namespace tintwright {

void BpsFormat::putNumber(Bytes &out, std::uint64_t value) {
    for (;;) {
        const std::uint8_t digit = value & kNumberDigit;
        value >>= kNumberBits;
        if (value == 0) {
            out.push_back(kNumberLast | digit);
            return;
        }
        out.push_back(digit);
        --value;
    }
}

std::size_t BpsFormat::numberSize(std::uint64_t value) {
    std::size_t size = 1;
    for (value >>= kNumberBits; value != 0; value >>= kNumberBits) {
        --value;
        ++size;
    }
    return size;
}

} // namespace tintwright
