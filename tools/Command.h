#pragma once

#include <QtGlobal>

#include <string>
#include <vector>

namespace tintwright {

class Invocation;

// An option a command takes: its name, the value's name (none for a switch) and what it does.
struct CommandOption {
    const char *name;
    const char *valueName; // nullptr: a switch
    const char *description;
    const char *arguments = nullptr; // with this switch, the command takes these arguments
};

inline const CommandOption kFolderOption{
    "folder", "DIR",
    QT_TRANSLATE_NOOP("DataTool", "Read the Data tables from DIR, not from the program folder "
                                  "beside this command.")};
// The output's form, whose values each command names: one option, whatever the command.
inline const CommandOption kFormatOption{
    "format", "FORMAT",
    QT_TRANSLATE_NOOP("DataTool", "The output's format: text (the default) or json.")};
inline const CommandOption kForceOption{
    "force", nullptr,
    QT_TRANSLATE_NOOP("DataTool", "Replace the output when a file of that name exists.")};

// What each exit status means, for every command: the top-level --help and the manual page.
inline const char *const kExitStatuses = QT_TRANSLATE_NOOP(
    "DataTool",
    "  0  done, and every answer is certain\n"
    "  1  done, and the answer is no: check found problems, export found a palette outside\n"
    "     the ROM, diff found differences, port left rows unplaced, find found no table or\n"
    "     several, patch found nothing to patch; or a CSV, patch, .pal file or picture was\n"
    "     refused for what it holds (its line or offset and why). COMMAND --help says\n"
    "     whether its output is written then.\n"
    "  2  not done: wrong usage, an empty argument, a file that cannot be read or written,\n"
    "     an empty ROM or patch, an input larger than the command reads (ROMs 128 MiB,\n"
    "     patches 256 MiB, CSV and tables 16 MiB), or a broken Data table (its file, line\n"
    "     and fault)\n");

// A positional argument: its name in the usage line, and what it is.
struct CommandArgument {
    const char *name;
    const char *description;
};

// One command of tintwright-data, everything about it in one place: how it is called, what
// it says of itself, and what it does.
struct Command {
    const char *name;
    std::vector<CommandArgument> arguments;
    const char *summary;
    const char *description; // the rest of its help: what it writes, and its exit status
    std::vector<CommandOption> options;
    int (*run)(Invocation &);
    bool json = false; // takes --format json, so that a refusal is JSON too
};

// The arguments as the usage line shows them: "ORIGINAL EDITED OUTPUT".
inline std::string usageOf(const Command &command) {
    std::string usage;
    for (const CommandArgument &argument : command.arguments)
        usage += (usage.empty() ? "" : " ") + std::string(argument.name);
    return usage;
}

extern const Command kBuildCommand, kPaletteCommand, kCheckCommand, kExportCommand, kImportCommand,
    kDiffCommand, kPatchCommand, kApplyCommand, kPortCommand, kFindCommand;

// The commands, in the order --help lists them.
inline const std::vector<const Command *> &commands() {
    static const std::vector<const Command *> all{
        &kBuildCommand,  &kPaletteCommand, &kCheckCommand, &kFindCommand,  &kPortCommand,
        &kExportCommand, &kImportCommand,  &kDiffCommand,  &kPatchCommand, &kApplyCommand};
    return all;
}

} // namespace tintwright
