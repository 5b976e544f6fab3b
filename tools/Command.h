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
    QT_TRANSLATE_NOOP("DataTool", "The output's format: text (the default) or json for check "
                                  "and port, ips or bps for patch.")};
inline const CommandOption kForceOption{
    "force", nullptr,
    QT_TRANSLATE_NOOP("DataTool", "Replace the output when a file of that name exists.")};

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
    kDiffCommand, kPatchCommand, kApplyCommand, kPortCommand;

// The commands, in the order --help lists them.
inline const std::vector<const Command *> &commands() {
    static const std::vector<const Command *> all{&kBuildCommand, &kPaletteCommand, &kCheckCommand,
                                                  &kPortCommand,  &kExportCommand,  &kImportCommand,
                                                  &kDiffCommand,  &kPatchCommand,   &kApplyCommand};
    return all;
}

} // namespace tintwright
