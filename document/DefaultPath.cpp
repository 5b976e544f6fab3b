#include "DefaultPath.h"

#include "FileIo.h"
#include "ProgramState.h"

namespace tintwright {

std::filesystem::path DefaultPath::file(const std::filesystem::path &programFolder) {
    return programFolder / "Data" / "Defaultpath.txt";
}

std::string DefaultPath::folderFromText(std::string_view text) {
    // The whole line, so a folder with a comma in it comes back intact.
    const auto end = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, end);
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
        line = line.substr(1, line.size() - 2);
    return std::string(line);
}

void DefaultPath::Load_Path(ProgramState &state) {
    std::string text;
    std::string error;
    std::string folder;
    if (FileIo::readText(file(state.programFolder), text, error))
        folder = folderFromText(text);
    if (folder.empty())
        state.defaultFolder = state.programFolder;
    else
        state.defaultFolder = std::filesystem::path(std::u8string(folder.begin(), folder.end()));
}

bool DefaultPath::store(const std::filesystem::path &programFolder,
                        const std::filesystem::path &folder, std::string &error) {
    const std::u8string utf8 = folder.u8string();
    std::string text(utf8.begin(), utf8.end());
    text += "\r\n";
    return FileIo::writeAll(file(programFolder), text.data(), text.size(), FileIo::Mode::Replace,
                            error);
}

} // namespace tintwright
