#include "Patch.h"

#include "BpsPatch.h"
#include "IpsPatch.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace tintwright {

std::optional<Patch::Format> Patch::byName(std::string_view fileName) {
    if (fileName.size() < 4)
        return std::nullopt;
    std::string extension(fileName.substr(fileName.size() - 4));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (extension == ".ips")
        return Format::Ips;
    if (extension == ".bps")
        return Format::Bps;
    return std::nullopt;
}

Patch::Format Patch::detect(std::span<const std::uint8_t> patch, std::string_view fileName) {
    const auto startsWith = [&](std::string_view magic) {
        return patch.size() >= magic.size() &&
               std::equal(magic.begin(), magic.end(), patch.begin());
    };
    if (startsWith("BPS1"))
        return Format::Bps;
    if (startsWith("PATCH"))
        return Format::Ips;
    return byName(fileName).value_or(Format::Ips);
}

Patch::Bytes Patch::create(Format format, std::span<const std::uint8_t> original,
                           std::span<const std::uint8_t> edited) {
    return format == Format::Bps ? BpsPatch::create(original, edited)
                                 : IpsPatch::create(original, edited);
}

Patch::Bytes Patch::apply(Format format, std::span<const std::uint8_t> original,
                          std::span<const std::uint8_t> patch) {
    return format == Format::Bps ? BpsPatch::apply(original, patch)
                                 : IpsPatch::apply(original, patch);
}

bool Patch::makes(Format format, std::span<const std::uint8_t> original,
                  std::span<const std::uint8_t> patch, std::span<const std::uint8_t> edited) {
    return format == Format::Bps ? BpsPatch::makes(original, patch, edited)
                                 : std::ranges::equal(IpsPatch::apply(original, patch), edited);
}

} // namespace tintwright
