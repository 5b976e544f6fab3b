#include "PaletteFinder.h"

#include "NesColour.h"
#include "PaletteScan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <numeric>
#include <tuple>

namespace tintwright {

namespace {

using Place = PaletteFinder::Place;
using Table = PaletteFinder::Table;
using End = PaletteFinder::End;
using EndKind = PaletteFinder::EndKind;
using Rom = std::span<const std::uint8_t>;

// Fewer rows than this say nothing about a column being one value in every row.
// Fewer rows than this say nothing about a byte between rows being one value in every row:
// small numbers (0 to 3, say) agree four rows running once in 64 tries.
constexpr int kFewestRowsForColumns = 6;
constexpr int kEnoughRowsRead = 2;

enum class Row {
    Palette, // three colours
    Weak,    // three colours, all one value: a palette, or filler
    None,    // outside the file, or a byte above $3F
};

Row rowAt(Rom rom, std::int64_t address) {
    if (address < 0 || address + kPaletteBytes > std::int64_t(rom.size()))
        return Row::None;
    const std::uint8_t *bytes = rom.data() + address;
    if (!NesColour::isValid(bytes[0]) || !NesColour::isValid(bytes[1]) ||
        !NesColour::isValid(bytes[2]))
        return Row::None;
    return bytes[0] == bytes[1] && bytes[1] == bytes[2] ? Row::Weak : Row::Palette;
}

// Every place each clue's bytes lie, in one pass.
std::vector<std::vector<Place>> scan(Rom rom, const std::vector<PaletteClue> &clues,
                                     std::vector<std::size_t> &counts) {
    std::vector<PaletteClue::Pattern> patterns;
    std::vector<int> clueOf; // per pattern
    for (std::size_t c = 0; c < clues.size(); ++c)
        for (const PaletteClue::Pattern &order : clues[c].orders()) {
            patterns.push_back(order);
            clueOf.push_back(int(c));
        }
    std::vector<std::vector<Place>> places(clues.size());
    counts.assign(clues.size(), 0);
    PaletteScan(patterns).run(rom, [&](std::size_t at, std::uint64_t fits) {
        for (; fits != 0; fits &= fits - 1) {
            const int clue = clueOf[std::size_t(std::countr_zero(fits))];
            std::vector<Place> &found = places[std::size_t(clue)];
            // Two orders of one picture may both fit one place.
            if (!found.empty() && found.back().address == std::int64_t(at))
                continue;
            if (++counts[std::size_t(clue)] <= PaletteFinder::kMostPlaces)
                found.push_back({clue, std::int64_t(at)});
        }
    });
    return places;
}

struct Column {
    int offset; // after the row's palette
    int value;
};

// The bytes between rows that hold one value between every two of `rows` rows from `from`.
std::vector<Column> constantColumns(Rom rom, std::int64_t from, int stride, int rows) {
    std::vector<Column> columns;
    if (rows < kFewestRowsForColumns)
        return columns;
    for (int offset = kPaletteBytes; offset < stride; ++offset) {
        const std::uint8_t value = rom[std::size_t(from + offset)];
        bool same = true;
        for (int gap = 1; gap + 1 < rows && same; ++gap)
            same = rom[std::size_t(from + std::int64_t(gap) * stride + offset)] == value;
        if (same)
            columns.push_back({offset, value});
    }
    return columns;
}

// From the row at `edge` outwards by `step`, while rows read as palettes and keep the columns;
// `edge` ends on the last row taken.
End extend(Rom rom, std::int64_t &edge, int step, const std::vector<Column> &columns) {
    End end;
    std::int64_t at = edge;
    for (int rows = 0;; ++rows) {
        const std::int64_t next = at + step;
        end.address = next;
        if (rows >= PaletteFinder::kMostRows) {
            end.kind = EndKind::TooLong;
            return end;
        }
        const Row row = rowAt(rom, next);
        if (row == Row::None) {
            const bool outside = next < 0 || next + kPaletteBytes > std::int64_t(rom.size());
            end.kind = outside ? EndKind::FileEdge : EndKind::NotAColour;
            if (!outside)
                end.byte = *std::find_if(rom.begin() + next, rom.begin() + next + kPaletteBytes,
                                         [](std::uint8_t b) { return !NesColour::isValid(b); });
            break;
        }
        // The bytes between this row and the next.
        const std::int64_t between = std::min(at, next);
        const auto broken = std::find_if(columns.begin(), columns.end(), [&](const Column &c) {
            return rom[std::size_t(between + c.offset)] != c.value;
        });
        if (broken != columns.end()) {
            end.kind = EndKind::ColumnBreak;
            end.byte = rom[std::size_t(between + broken->offset)];
            end.column = broken->offset;
            break;
        }
        at = next;
        if (row == Row::Weak) {
            end.doubtful.push_back(next);
            if (int(end.doubtful.size()) > PaletteFinder::kMostDoubtful) {
                end.kind = EndKind::Filler;
                end.address = end.doubtful.front();
                end.doubtful.clear();
                return end;
            }
            continue;
        }
        // A palette after rows of one value: those were palettes too.
        edge = next;
        end.doubtful.clear();
    }
    if (!end.doubtful.empty()) {
        end.kind = EndKind::Doubtful;
        end.address = end.doubtful.front();
    }
    return end;
}

// Whether every row between the rows at `from` and `to` reads as a palette.
bool rowsBetweenRead(Rom rom, std::int64_t from, std::int64_t to, int stride) {
    if ((to - from) / stride > PaletteFinder::kMostRows)
        return false;
    for (std::int64_t row = from + stride; row < to; row += stride)
        if (rowAt(rom, row) == Row::None)
            return false;
    return true;
}

// The table through `held`, places at one stride whose rows between all read as palettes.
Table makeTable(Rom rom, int stride, std::vector<Place> held) {
    Table table;
    table.stride = stride;
    std::int64_t first = held.front().address, last = held.back().address;
    table.checkedRows = int((last - first) / stride) + 1;
    const std::vector<Column> columns = constantColumns(rom, first, stride, table.checkedRows);
    table.constantColumns = int(columns.size());
    // Bytes between the rows that read as colours, yet hold no one value in every row.
    std::int64_t unexplained = 0;
    for (std::int64_t row = first; row < last; row += stride)
        for (int offset = kPaletteBytes; offset < stride; ++offset)
            if (NesColour::isValid(rom[std::size_t(row + offset)]) &&
                std::none_of(columns.begin(), columns.end(),
                             [offset](const Column &c) { return c.offset == offset; }))
                ++unexplained;
    table.unexplained = last > first ? double(unexplained) / double(last - first) : 0.0;
    table.first = extend(rom, first, -stride, columns);
    table.last = extend(rom, last, stride, columns);
    table.start = first;
    table.rows = int((last - first) / stride) + 1;
    std::vector<int> clues;
    clues.reserve(held.size());
    for (const Place &place : held)
        clues.push_back(place.clue);
    std::sort(clues.begin(), clues.end());
    table.clues = int(std::unique(clues.begin(), clues.end()) - clues.begin());
    std::vector<std::int64_t> rows;
    rows.reserve(held.size());
    for (const Place &place : held)
        rows.push_back(place.address);
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    table.givenRows = int(rows.size());
    table.rowsRead = table.rows - table.givenRows;
    for (const std::int64_t row : rows)
        table.rowStep = std::gcd(table.rowStep, int((row - rows.front()) / stride));
    table.held = std::move(held);
    return table;
}

// Every table at `stride`: places of one phase, joined while the rows between read as
// palettes, holding at least two of the given palettes.
void tablesAt(Rom rom, int stride, const std::vector<Place> &places, std::vector<Table> &tables) {
    std::vector<std::vector<Place>> phases(static_cast<std::size_t>(stride));
    for (const Place &place : places)
        phases[std::size_t(place.address % stride)].push_back(place);
    for (const std::vector<Place> &phase : phases) {
        std::vector<Place> joined;
        const auto close = [&] {
            // Two of the given palettes in two rows: one place is no table.
            const bool twoClues = std::any_of(joined.begin(), joined.end(), [&](const Place &p) {
                return std::any_of(joined.begin(), joined.end(), [&](const Place &q) {
                    return p.clue != q.clue && p.address != q.address;
                });
            });
            if (twoClues)
                tables.push_back(makeTable(rom, stride, joined));
            joined.clear();
        };
        for (const Place &place : phase) {
            if (!joined.empty() &&
                !rowsBetweenRead(rom, joined.back().address, place.address, stride))
                close();
            joined.push_back(place);
        }
        if (!joined.empty())
            close();
    }
}

// Places in the order they are found and held: by address, then by palette.
bool before(const Place &a, const Place &b) {
    return std::pair(a.address, a.clue) < std::pair(b.address, b.clue);
}

bool holdsPlace(const Table &table, const Place &place) {
    return std::binary_search(table.held.begin(), table.held.end(), place, before);
}

bool sharesPlace(const Table &table, const Table &other) {
    return std::any_of(other.held.begin(), other.held.end(),
                       [&](const Place &p) { return holdsPlace(table, p); });
}

// How much its other rows say for a table: none read as palettes, one, or enough that
// chance is out of the question (a row of random bytes reads as a palette once in 64).
int evidence(const Table &table) {
    return std::min(table.rowsRead, kEnoughRowsRead);
}

// Whether the given places say the stride themselves: three rows or more, not all on every
// second (third...) row, where a reading with longer rows would hold them as well.
bool strideShown(const Table &table) {
    return table.givenRows < 3 || table.rowStep == 1;
}

// Every byte between its rows is one value in every row: a shared background, a separator.
bool structured(const Table &table) {
    return table.constantColumns > 0 && table.unexplained == 0;
}

// The order tables are listed in: by the palettes they hold, the rows between them, how
// little they leave unexplained, and the columns they share.
bool ordersBefore(const Table &table, const Table &other) {
    return std::tuple(table.clues, evidence(table), -table.unexplained, table.constantColumns) >
           std::tuple(other.clues, evidence(other), -other.unexplained, other.constantColumns);
}

} // namespace

bool PaletteFinder::holds(const Table &table, const Place &place) {
    return holdsPlace(table, place);
}

bool PaletteFinder::ranksAbove(const Table &better, const Table &other) {
    if (better.clues != other.clues)
        return better.clues > other.clues;
    // Tables apart that hold as many are as likely, unless the rows of one say less.
    if (!sharesPlace(better, other))
        return evidence(better) > evidence(other);
    // Two readings of the same places compete. Where the places do not show the stride, what
    // lies between the rows decides only when it is the same in every row.
    return ordersBefore(better, other) &&
           (strideShown(better) || (structured(better) && !structured(other)));
}

PaletteFinder::Result PaletteFinder::find(Rom rom, const std::vector<PaletteClue> &clues) {
    Result result;
    result.places = scan(rom, clues, result.placeCounts);
    std::vector<Place> all;
    for (const std::vector<Place> &places : result.places)
        all.insert(all.end(), places.begin(), places.end());
    std::sort(all.begin(), all.end(), before);
    std::vector<Table> tables;
    for (int stride = kShortestStride; stride <= kLongestStride; ++stride)
        tablesAt(rom, stride, all, tables);
    std::stable_sort(tables.begin(), tables.end(), ordersBefore);
    // No table ranks above the first, which holds the most and says the most of them.
    // A palette found at more places than were kept may lie on a table never seen.
    const bool allPlaces = std::all_of(result.placeCounts.begin(), result.placeCounts.end(),
                                       [](std::size_t count) { return count <= kMostPlaces; });
    result.clear = allPlaces && !tables.empty() && tables[0].clues == int(clues.size()) &&
                   tables[0].first.kind != EndKind::TooLong &&
                   tables[0].last.kind != EndKind::TooLong &&
                   std::all_of(tables.begin() + 1, tables.end(),
                               [&](const Table &other) { return ranksAbove(tables[0], other); });
    // A table whose given places all lie on a better one adds nothing: a reading of every
    // second row of it, say.
    for (std::size_t t = 0; t < tables.size() && result.tables.size() < kMostTables; ++t) {
        const Table &table = tables[t];
        const bool within =
            std::any_of(result.tables.begin(), result.tables.end(), [&](const Table &better) {
                return ranksAbove(better, table) &&
                       std::all_of(table.held.begin(), table.held.end(),
                                   [&](const Place &p) { return holdsPlace(better, p); });
            });
        if (!within)
            result.tables.push_back(table);
    }
    return result;
}

} // namespace tintwright
