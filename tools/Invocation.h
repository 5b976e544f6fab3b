#pragma once

#include "document/FileIo.h"
#include "document/LocationTable.h"

#include <QByteArray>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QIODevice>
#include <QStringList>
#include <QTextStream>

#include <optional>
#include <span>
#include <vector>

namespace tintwright {

// One run of a tintwright-data command: its arguments and options, what it reads and writes,
// and what it says. Every input is read, and every output written, through here, so that no
// output lands on an input, a failed write is never reported as done, and standard output is
// checked like any file.
class Invocation {
    Q_DECLARE_TR_FUNCTIONS(DataTool)

public:
    // Exit status: 0 done, 1 the command found problems or refused its input, 2 wrong usage
    // or a file that cannot be read or written.
    static constexpr int kDone = 0, kRefused = 1, kFailed = 2;

    Invocation(const QCommandLineParser &parser, bool json);

    // The command's own arguments, after its name.
    QStringList args() const { return m_parser.positionalArguments().mid(1); }
    bool isSet(const char *option) const { return m_parser.isSet(QLatin1String(option)); }
    QString value(const char *option) const { return m_parser.value(QLatin1String(option)); }
    bool json() const { return m_json; }

    // Text for standard output, written when the command ends.
    QTextStream &out() { return m_out; }
    // Says that `output` was written: on standard error when it is standard output itself.
    void written(const QString &output, const QString &text);
    void outBytes(std::span<const std::uint8_t> bytes);
    // Says why on standard error (and, for --format json, as an object on standard output).
    int fail(int status, const QString &message);
    // A problem as it stands, file names shown as typed, and what follows from it: status 1
    // when what a file holds is refused, else 2 (a file that cannot be read or written).
    int fail(const Problem &problem, const QString &then = {});
    // The status of the first failure said, for a command that stops there.
    int failed() const { return m_failure ? m_failure->first : kFailed; }
    // The first failure said, if any: for a command whose own JSON report carries it, which
    // is then written whole rather than replaced by the failure alone.
    const std::optional<std::pair<int, QString>> &failure() const { return m_failure; }
    void reportCarriesFailure() { m_reportCarriesFailure = true; }
    // A file's name for messages: `argument` as typed, bytes that cannot be shown as \xNN.
    static QString shown(const QString &argument);
    // A problem as the command says it, in the file `argument` names.
    static QString said(const Problem &problem, const QString &argument);

    // A whole input, remembered so that no output lands on it: exit status 2 on failure.
    bool read(const QString &argument, FileBytes &bytes, std::size_t maxSize,
              FileIo::Source source = FileIo::Source::Stream);
    // A ROM, refused when empty.
    bool readRom(const QString &argument, FileBytes &bytes,
                 FileIo::Source source = FileIo::Source::Stream);
    // A whole output through the one writer. An existing file is replaced only with --force;
    // `over` names an input the output may replace (the ROM that import changes).
    bool write(const QString &argument, std::span<const std::uint8_t> bytes,
               const FileBytes *over = nullptr);

    // Files written together or not at all, each as `write` writes one (a regular file only).
    bool writeAll(const std::vector<std::pair<QString, std::vector<std::uint8_t>>> &files);

    struct Tables {
        std::filesystem::path folder;
        QString shownFolder; // empty: the program folder
        LocationTables tables;
        const LocationTable &of(bool isFront) const { return tables.of(isFront); }
        // As messages name it: with --folder, the folder's own file.
        QString file(bool isFront) const;
    };
    // The back and front tables of --folder, or of the program folder: exit status 2 when one
    // cannot be read, 1 with the file, line and fault when one is broken.
    bool readTables(Tables &tables);

    // Writes standard output; a failure turns `status` into 2.
    int finish(int status);

private:
    // Says why `name` was not written; always false.
    bool notWritten(const QString &name, const Problem &problem);

    const QCommandLineParser &m_parser;
    bool m_json;
    QByteArray m_stdout;
    QTextStream m_out;
    std::optional<std::pair<int, QString>> m_failure;
    bool m_reportCarriesFailure = false;
    std::vector<FileId> m_inputs;
};

} // namespace tintwright
