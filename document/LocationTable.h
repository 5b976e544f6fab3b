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
    std::vector<std::string> forms; // each address as its file writes it: "32784", "&H8010"

    int rows() const { return static_cast<int>(addresses.size()); }
    // Rows as users read them: from 1, as the lines of the file and the previews (row 1 shows
    // 1.gif) are numbered. Row k of these sequences is row number k + 1.
    static int number(int row) { return row + 1; }
};

// The back and the front location table: the two lists of the editor.
struct LocationTables {
    LocationTable back;
    LocationTable front;
    const LocationTable &of(bool isFront) const { return isFront ? front : back; }
    LocationTable &of(bool isFront) { return isFront ? front : back; }
};

} // namespace tintwright
