#pragma once

#include "FileIo.h"
#include "LocationTable.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tintwright {

// What lies where in a program folder, the folder that holds the executable: every name the
// program, tintwright-data and the generator use, and the limits that follow from them. Names
// are relative to the folder, with "/", as reports give them.
class ProgramFolder {
public:
    static constexpr const char *kData = "Data"; // the tables, the manual and the pictures
    static constexpr const char *kPalette = "Data/Palette"; // the tiles, chart and marker
    static constexpr const char *kFileTypeFilter = "Data/FileTypeFilter.txt";
    static constexpr const char *kDefaultPath = "Data/Defaultpath.txt";
    static constexpr const char *kManual = "Data/Manual.txt";
    static constexpr const char *kChart = "Data/Palette/Palette.gif";
    static constexpr const char *kMarker = "Data/Palette/Select.gif";
    static constexpr const char *kIcons = "Data/Icon";
    static constexpr const char *kDemo = "Demo.nes";
    // "Data/BackLocations.txt" or "Data/FrontLocations.txt".
    static const char *table(bool front);
    // The picture a tile shows for a colour: "Data/Palette/15.bmp".
    static std::string tile(int colour);

    // Previews: one picture per edition, numbered 1 to kPreviewCount after the list position.
    enum class Edition { Silver, Ruby };
    static constexpr int kPreviewCount = 159;
    static std::string previewFolder(bool front, Edition edition); // "Back_Silver"
    static std::string preview(bool front, Edition edition, int number);
    // The number of list position `position`'s previews; none past the last.
    static std::optional<int> previewNumber(int position);

    // The program folder a user names: the folder itself, or the program (tintwright or
    // tintwright-data) in it.
    static std::filesystem::path named(const std::filesystem::path &given);
    // A name of the folder as a path.
    static std::filesystem::path path(const std::filesystem::path &folder, std::string_view name);

    // Both location tables of a program folder. Throws Problem naming the file (under
    // `shownFolder` when it is given), the line and the fault; `read`, when given, learns
    // which files were read.
    static LocationTables readTables(const std::filesystem::path &folder,
                                     const std::string &shownFolder = {},
                                     std::vector<FileId> *read = nullptr);
    // One table's text, as the table reader reads it.
    static LocationTable readTable(std::string_view text, const std::string &shownName);
    // The text of a table file that reads back as `table`: one row a line, CR LF, each address
    // in its row's form and each name quoted as the reader needs.
    static std::string tableText(const LocationTable &table);
    // The file type filter's text (0: ROM files only; any other whole number up to 255,
    // fractions rounded half to even: every file); `shownName` is what a problem names.
    static bool readFileTypeFilter(std::string_view text, const std::string &shownName);
};

} // namespace tintwright
