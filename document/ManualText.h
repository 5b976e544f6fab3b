#pragma once

#include <string>
#include <string_view>

namespace tintwright {

// The manual as the reader shows it: the file's bytes as UTF-8 (Windows-1252 when they are
// not UTF-8), each line followed by CR LF. CR LF, a lone CR and a lone LF all end a line.
class ManualText {
public:
    static std::string fromBytes(std::string_view bytes);
};

} // namespace tintwright
