// A pair of files made from arbitrary bytes, as hacks change ROMs: the original is the input's
// first part; the edited file is built by steps read from the rest, each copying a stretch of
// the original from anywhere, repeating what it has made so far (overlapping, which makes runs
// and patterns), or taking bytes as they are. Whatever the pair, the BPS patch made of it
// gives the edited file back.
#include "patches/BpsPatch.h"

#include <cstddef>
#include <cstdint>

using namespace tintwright;
using Bytes = std::vector<std::uint8_t>;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::size_t split = std::min<std::size_t>(size, 2 + data[0] * 16 + data[1] % 16);
    const Bytes original(data + 2, data + split);
    Bytes edited;
    for (std::size_t at = split; at + 3 <= size; at += 3) {
        const std::uint8_t step = data[at], where = data[at + 1];
        const std::size_t length = std::size_t(data[at + 2]) * (1 + (step >> 4)) + 1;
        if (step % 3 == 0 && !original.empty()) {
            const std::size_t from = where * 37 % original.size();
            for (std::size_t i = 0; i < length; ++i)
                edited.push_back(original[(from + i) % original.size()]);
        } else if (step % 3 == 1 && !edited.empty()) {
            const std::size_t from = edited.size() - 1 - where % edited.size();
            for (std::size_t i = 0; i < length; ++i)
                edited.push_back(edited[from + i]);
        } else {
            edited.insert(edited.end(), {where, std::uint8_t(length), step});
        }
    }
    // Applied whole, and compared as it is applied, the patch makes the edited file.
    const Bytes patch = BpsPatch::create(original, edited);
    if (BpsPatch::apply(original, patch) != edited || !BpsPatch::makes(original, patch, edited))
        __builtin_trap();
    return 0;
}
