#pragma once

#include "PaletteClue.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tintwright {

// Where in a ROM a table of palettes lies, found from a few of its palettes: every place each
// one is found, the tables those places form, and how sure each answer is.
//
// A table is palettes at one distance from each other (its stride: 3 back to back, 4 after a
// shared background byte, or a field of longer records). Places of the given palettes are
// joined into a table at a stride only when every row between them reads as a palette (three
// bytes of $00 to $3F), so the stride is a common divisor of their distances, checked row by
// row. Tables are ranked by how many of the given palettes they hold, then by their other rows
// that read as palettes, then by how little of what lies between their rows reads as colours
// yet is left unexplained (a reading with rows too long skips palettes), then by the columns
// between rows that hold one byte in every row (a shared background, a separator). Two
// readings of the same places are told apart that way only when the places show the stride
// (three or more, not all every second row or third...), or when one reading's bytes between
// rows are all one value per column and the other's are not; else they are equally likely.
class PaletteFinder {
public:
    // Strides looked at: a palette alone, to a record of 32 bytes.
    static constexpr int kShortestStride = kPaletteBytes;
    static constexpr int kLongestStride = 32;
    // Rows beyond the given palettes whose three bytes are all one value may be a palette or
    // a table's filler: this many are reported as doubtful, more as filler.
    static constexpr int kMostDoubtful = 2;
    // A table reaches no further than this many rows: rows of palettes beyond are a stretch
    // of small numbers, not a table.
    static constexpr int kMostRows = 4096;
    // Places kept per palette; more are counted only.
    static constexpr std::size_t kMostPlaces = 4096;
    // Tables reported, the best first.
    static constexpr std::size_t kMostTables = 64;
    // Palettes looked for at once (a picture's six orders count as one).
    static constexpr std::size_t kMostClues = 32;

    struct Place {
        int clue;
        std::int64_t address;
    };

    // Why a table ends where it does.
    enum class EndKind {
        NotAColour,  // the next row holds a byte above $3F
        FileEdge,    // the file ends there
        Filler,      // more than kMostDoubtful rows of one value each follow
        ColumnBreak, // a byte that is the same in every row differs in the next
        Doubtful,    // up to kMostDoubtful rows of one value each, then one of the above
        TooLong,     // it reads as palettes beyond kMostRows
    };
    struct End {
        EndKind kind = EndKind::FileEdge;
        std::int64_t address = 0;           // the first row beyond
        int byte = 0;                       // NotAColour, ColumnBreak: the byte that ends it
        int column = 0;                     // ColumnBreak: its place after the palette
        std::vector<std::int64_t> doubtful; // Doubtful: those rows, nearest first
        bool sure() const { return kind != EndKind::Doubtful && kind != EndKind::TooLong; }
    };

    struct Table {
        std::int64_t start = 0; // the first row's palette
        int stride = 0;
        int rows = 0;
        std::vector<Place> held; // the given palettes' places on it
        int clues = 0;           // how many of the given palettes it holds
        int checkedRows = 0;     // rows from the first given place to the last
        int givenRows = 0;       // rows that hold given palettes
        int rowsRead = 0;        // the others
        int rowStep = 0;         // the given rows lie every rowStep rows
        double unexplained = 0;  // share of the bytes between those rows
        int constantColumns = 0; // bytes between rows that are one value in every row
        End first, last;
        std::int64_t address(int row) const { return start + std::int64_t(row) * stride; }
        int rowOf(std::int64_t address) const { return int((address - start) / stride); }
    };

    struct Result {
        std::vector<std::vector<Place>> places; // per given palette, at most kMostPlaces
        std::vector<std::size_t> placeCounts;   // per given palette, all of them
        std::vector<Table> tables;              // best first
        // The first table holds every given palette and ranks above every other.
        bool clear = false;
    };

    static Result find(std::span<const std::uint8_t> rom, const std::vector<PaletteClue> &clues);

    static bool holds(const Table &table, const Place &place);
    // Whether `better` ranks above `other`: it holds more of the given palettes, or as many
    // and is the better reading of the same places. Neither does: equally likely.
    static bool ranksAbove(const Table &better, const Table &other);
};

} // namespace tintwright
