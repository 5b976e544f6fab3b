#include "Rom.h"

#include "FileIo.h"
#include "ProgramFolder.h"

namespace tintwright {

void Rom::Load_Tables(ProgramState &state) {
    state.tables = ProgramFolder::readTables(state.programFolder);
    const char *filter = ProgramFolder::kFileTypeFilter;
    std::string text;
    if (Outcome read = FileIo::readText(ProgramFolder::path(state.programFolder, filter), text);
        !read)
        throw Problem("the file cannot be read (" + read.problem().reason() + ")").in(filter);
    state.fileTypeFilter = ProgramFolder::readFileTypeFilter(text, filter);
}

} // namespace tintwright
