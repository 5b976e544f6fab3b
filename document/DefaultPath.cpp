#include "DefaultPath.h"

#include "FieldError.h"
#include "FieldReader.h"
#include "FileIo.h"
#include "ProgramFolder.h"
#include "ProgramState.h"
#include "UserFiles.h"

namespace tintwright {

std::string DefaultPath::folderFromText(std::string_view text) {
    // One text field, except that a comma does not end it: folders may hold commas.
    try {
        return FieldReader(text).readText(false);
    } catch (const FieldError &) {
        return {}; // nothing but blanks
    }
}

void DefaultPath::Load_Path(ProgramState &state) {
    // The user's own file first; an installed copy may still carry one of its own.
    std::string folder;
    for (const auto &file :
         {UserFiles::defaultPathFile(state),
          ProgramFolder::path(state.programFolder, ProgramFolder::kDefaultPath)}) {
        std::string text;
        if (FileIo::readText(file, text)) {
            folder = folderFromText(text);
            break;
        }
    }
    // Else the folder of the user's demo copy, in an installed copy that made one.
    const auto demo = UserFiles::demoCopy(state);
    std::error_code ec;
    state.defaultFolder = !demo.empty() && std::filesystem::is_regular_file(demo, ec)
                              ? demo.parent_path()
                              : state.programFolder;
    try {
        if (!folder.empty())
            state.defaultFolder =
                std::filesystem::path(std::u8string(folder.begin(), folder.end()));
    } catch (const std::exception &) {
        // Bytes the platform cannot take as a path: the folder cannot be used.
    }
}

Outcome DefaultPath::store(const ProgramState &state, const std::filesystem::path &folder) {
    const std::u8string utf8 = folder.u8string();
    std::string text(utf8.begin(), utf8.end());
    text += "\r\n";
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size());
    const auto file = UserFiles::defaultPathFile(state);
    std::error_code ec;
    if (UserFiles::installed(state))
        std::filesystem::create_directories(file.parent_path(), ec);
    return FileIo::write(file, bytes, {.inputs = {}, .replace = true});
}

} // namespace tintwright
