#include "UserFiles.h"

#include "FileIo.h"
#include "ProgramFolder.h"
#include "ProgramState.h"

namespace tintwright {

namespace {

constexpr const char *kDefaultPathName = "Defaultpath.txt";

} // namespace

void UserFiles::choose(ProgramState &state, const std::filesystem::path &configFolder,
                       const std::filesystem::path &dataFolder) {
    const bool ours =
        FileIo::canWriteIn(ProgramFolder::path(state.programFolder, ProgramFolder::kData));
    state.userConfigFolder = ours ? std::filesystem::path() : configFolder;
    state.userDataFolder = ours ? std::filesystem::path() : dataFolder;
}

bool UserFiles::installed(const ProgramState &state) {
    return !state.userConfigFolder.empty();
}

std::filesystem::path UserFiles::defaultPathFile(const ProgramState &state) {
    return installed(state) ? state.userConfigFolder / kDefaultPathName
                            : ProgramFolder::path(state.programFolder, ProgramFolder::kDefaultPath);
}

std::filesystem::path UserFiles::demoCopy(const ProgramState &state) {
    return installed(state) ? state.userDataFolder / ProgramFolder::kDemo : std::filesystem::path();
}

Outcome UserFiles::makeDemoCopy(const ProgramState &state) {
    if (!installed(state))
        return {};
    FileBytes demo;
    if (Outcome read = FileIo::read(ProgramFolder::path(state.programFolder, ProgramFolder::kDemo),
                                    demo, FileIo::kLargestRom);
        !read)
        return read;
    std::error_code ec;
    std::filesystem::create_directories(state.userDataFolder, ec);
    const Outcome made = FileIo::write(demoCopy(state), demo.span(), {{demo.id}, false});
    // One that is there already is the user's: it stays as it is.
    return made || made.problem().kind() == Problem::Kind::Exists ? Outcome() : made;
}

} // namespace tintwright
