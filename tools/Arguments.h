#pragma once

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

namespace tintwright {

// Command-line words as the system gave them. File names need not be UTF-8 (disks shared with
// older systems hold Latin-1 names): each byte that is not part of valid UTF-8 is kept as one
// of the code points U+DC80 to U+DCFF, which valid text never holds, so that the same bytes go
// back to the system unchanged.
class Arguments {
public:
    static QString decode(std::string_view bytes);
    static std::string encode(const QString &argument);
    static std::filesystem::path path(const QString &argument) { return encode(argument); }
    // For messages: kept bytes and control characters as \xNN; at most 256 characters of it.
    static QString shown(const QString &argument);
};

} // namespace tintwright
