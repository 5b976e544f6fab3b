#pragma once

#include <string>
#include <string_view>

namespace tintwright {

// Data files may come from any system: valid UTF-8 stays as it is,
// anything else is taken as Windows-1252.
class TextEncoding {
public:
    static bool isValidUtf8(std::string_view bytes);
    static std::string toUtf8(std::string_view bytes);
};

} // namespace tintwright
