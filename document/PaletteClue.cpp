#include "PaletteClue.h"

#include "NumberText.h"
#include "Problem.h"
#include "TextEncoding.h"

#include <algorithm>
#include <map>

namespace tintwright {

namespace {

// A screenshot of one sprite has few colours; more than this is no sprite, and is not looked
// at one by one.
constexpr std::size_t kMostPictureColours = 16;

std::string rgbText(std::uint32_t rgb) {
    return "#" + NumberText::hex(rgb, 6);
}

// The colour most common around the picture's edges.
std::uint32_t background(std::span<const std::uint32_t> pixels, std::size_t width) {
    const std::size_t height = pixels.size() / width;
    std::map<std::uint32_t, std::size_t> counts;
    for (std::size_t y = 0; y < height; ++y)
        for (std::size_t x = 0; x < width; ++x)
            if (y == 0 || y + 1 == height || x == 0 || x + 1 == width)
                ++counts[pixels[y * width + x]];
    return std::max_element(counts.begin(), counts.end(),
                            [](const auto &a, const auto &b) { return a.second < b.second; })
        ->first;
}

} // namespace

PaletteClue PaletteClue::parse(std::string_view text) {
    const auto refuse = [text](const std::string &why) {
        return Problem("the palette " + TextEncoding::quoted(text) + " " + why + ", as 0F,12,21",
                       Problem::Kind::Refused);
    };
    PaletteClue clue;
    std::size_t k = 0;
    for (std::string_view rest = text;; ++k) {
        const std::size_t comma = rest.find(',');
        std::string_view part = rest.substr(0, comma);
        if (k == kPaletteBytes)
            throw refuse("is not three colours separated by commas");
        if (part.starts_with('$'))
            part.remove_prefix(1);
        const auto digits = part.size() <= 2 ? NumberText::parseHex(part) : std::nullopt;
        if (!digits)
            throw refuse("is not three colours of one or two hex digits");
        const int value = int(*digits);
        if (!NesColour::isValid(value))
            throw refuse("holds " + NumberText::colour(value) +
                         ", which is no NES colour ($00 "
                         "to $3F)");
        clue.colours[k] = Colours(1) << value;
        clue.label += (k > 0 ? "," : "") + NumberText::hex(std::uint64_t(value), 2);
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    if (k != 2)
        throw refuse("is not three colours separated by commas");
    return clue;
}

PaletteClue PaletteClue::fromPicture(std::span<const std::uint32_t> pixels, int width,
                                     const ColourMatch &match) {
    if (width <= 0 || pixels.empty())
        throw Problem("the picture is empty", Problem::Kind::Refused);
    const std::uint32_t around = background(pixels, std::size_t(width));
    std::map<std::uint32_t, std::size_t> counts;
    for (const std::uint32_t pixel : pixels)
        if (pixel != around && pixel != kSeeThrough && ++counts[pixel] == 1 &&
            counts.size() > kMostPictureColours)
            throw Problem("the picture has more than " + std::to_string(kMostPictureColours) +
                              " colours besides its background; a screenshot of one sprite "
                              "has three",
                          Problem::Kind::Refused);
    // Colours that stand for the same NES colour count once, the most common first.
    struct Seen {
        std::size_t pixels = 0;
        Colours candidates = 0;
        int nearest = 0;
    };
    std::vector<Seen> seen;
    std::map<Colours, std::size_t> byGroup;
    for (const auto &[rgb, count] : counts) {
        const ColourMatch::Nearest nearest = match.nearest(rgb);
        if (nearest.distance > ColourMatch::kFarthest)
            throw Problem(
                "its colour " + rgbText(rgb) + " is " + std::to_string(int(nearest.distance)) +
                    " from the nearest NES colour (" + NumberText::colour(nearest.index) +
                    ", CIE76 distance; at most " + std::to_string(int(ColourMatch::kFarthest)) +
                    " is taken): it is not an NES screenshot, or the .pal is not "
                    "the emulator's",
                Problem::Kind::Refused);
        const Colours group = match.lookAlikes(nearest.index);
        const auto [it, added] = byGroup.try_emplace(group, seen.size());
        if (added)
            seen.push_back({0, 0, nearest.index});
        seen[it->second].pixels += count;
        seen[it->second].candidates |= match.candidates(rgb);
    }
    if (seen.size() < 2 || seen.size() > std::size_t(kPaletteBytes))
        throw Problem((seen.size() == 1
                           ? std::string("the picture shows only one NES colour")
                           : "the picture shows " + std::to_string(seen.size()) + " NES colours") +
                          " besides its background; a sprite shows two or three",
                      Problem::Kind::Refused);
    std::stable_sort(seen.begin(), seen.end(),
                     [](const Seen &a, const Seen &b) { return a.pixels > b.pixels; });
    PaletteClue clue;
    clue.anyOrder = true;
    clue.label = "picture";
    for (std::size_t k = 0; k < kPaletteBytes; ++k) {
        // A sprite of two colours may have any third.
        clue.colours[k] = k < seen.size() ? seen[k].candidates : ColourMatch::kEveryColour;
        clue.label += k < seen.size() ? " " + NumberText::colour(seen[k].nearest) : " $??";
    }
    return clue;
}

std::vector<PaletteClue::Pattern> PaletteClue::orders() const {
    if (!anyOrder)
        return {colours};
    std::array<int, kPaletteBytes> order{0, 1, 2};
    std::vector<Pattern> all;
    do
        all.push_back({colours[std::size_t(order[0])], colours[std::size_t(order[1])],
                       colours[std::size_t(order[2])]});
    while (std::next_permutation(order.begin(), order.end()));
    return all;
}

} // namespace tintwright
