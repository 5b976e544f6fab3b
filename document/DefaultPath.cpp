#include "DefaultPath.h"

#include "FieldError.h"
#include "FieldReader.h"
#include "FileIo.h"
#include "ProgramFolder.h"
#include "ProgramState.h"

namespace tintwright {

std::filesystem::path DefaultPath::file(const std::filesystem::path &programFolder) {
    return ProgramFolder::path(programFolder, ProgramFolder::kDefaultPath);
}

std::string DefaultPath::folderFromText(std::string_view text) {
    // One text field, except that a comma does not end it: folders may hold commas.
    try {
        return FieldReader(text).readText(false);
    } catch (const FieldError &) {
        return {}; // nothing but blanks
    }
}

void DefaultPath::Load_Path(ProgramState &state) {
    std::string text;
    std::string folder;
    if (FileIo::readText(file(state.programFolder), text))
        folder = folderFromText(text);
    state.defaultFolder = state.programFolder;
    try {
        if (!folder.empty())
            state.defaultFolder =
                std::filesystem::path(std::u8string(folder.begin(), folder.end()));
    } catch (const std::exception &) {
        // Bytes the platform cannot take as a path: the folder cannot be used.
    }
}

Outcome DefaultPath::store(const std::filesystem::path &programFolder,
                           const std::filesystem::path &folder) {
    const std::u8string utf8 = folder.u8string();
    std::string text(utf8.begin(), utf8.end());
    text += "\r\n";
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size());
    return FileIo::write(file(programFolder), bytes, {.inputs = {}, .replace = true});
}

} // namespace tintwright
