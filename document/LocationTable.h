#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tintwright {

// Where each sprite's three palette bytes lie; row k pairs addresses[k] and names[k].
struct LocationTable {
    std::vector<std::int32_t> addresses;
    std::vector<std::string> names; // as stored in the file (any encoding)
    std::vector<int> lines;         // where each row starts in its file, from 1

    int rows() const { return static_cast<int>(addresses.size()); }
};

// The back and the front location table: the two lists of the editor.
struct LocationTables {
    LocationTable back;
    LocationTable front;
    const LocationTable &of(bool isFront) const { return isFront ? front : back; }
    LocationTable &of(bool isFront) { return isFront ? front : back; }
};

} // namespace tintwright
