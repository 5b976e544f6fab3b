#pragma once

#include <string>
#include <string_view>

namespace tintwright {

// Data files may come from any system: valid UTF-8 stays as it is,
// anything else is taken as Windows-1252.
class TextEncoding {
public:
    static bool isValidUtf8(std::string_view bytes);
    // The length of the valid UTF-8 character at `at` (which must lie in `bytes`), or 0.
    static std::size_t sequenceAt(std::string_view bytes, std::size_t at);
    static std::string toUtf8(std::string_view bytes);
    // The text after a UTF-8 byte-order mark, which Windows editors put at the start.
    static std::string_view withoutBom(std::string_view bytes);
    // A field as a report quotes it: in double quotes (one inside doubled), as UTF-8, bytes that
    // cannot be printed
    // written \xNN, and at most about 60 characters of it, with its length when it is longer.
    static std::string quoted(std::string_view field);
    // The line break that starts at `at`, as every reader of text takes them: CR LF, a lone LF
    // or a lone CR; its length, or 0 when none starts there.
    static std::size_t lineBreak(std::string_view text, std::size_t at);
    // How many line breaks `text` holds.
    static int lineBreaks(std::string_view text);
};

} // namespace tintwright
