#pragma once

#include "document/FileIo.h"
#include "document/FileLock.h"
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
    // Exit status, the same for every command: 0 done, every answer certain; 1 done, and the
    // answer is no (problems found, files that differ, a CSV or patch refused); 2 not done:
    // wrong usage, a file that cannot be read or written, is empty or too large, a broken table.
    static constexpr int kDone = 0, kRefused = 1, kFailed = 2;
    // The most a command reads: every ROM the NES 2.0 header can describe without its
    // exponent form (about 92 MiB) fits, and a patch may spell out every byte of one.
    static constexpr std::size_t kLargestRom = std::size_t(128) << 20;
    static constexpr std::size_t kLargestPatch = std::size_t(256) << 20;
    static constexpr std::size_t kLargestCsv = FileIo::kLargestText;

    Invocation(const QCommandLineParser &parser, bool json, Temporaries &temporaries);

    // The command's own arguments, after its name.
    QStringList args() const { return m_parser.positionalArguments().mid(1); }
    bool isSet(const char *option) const { return m_parser.isSet(QLatin1String(option)); }
    QString value(const char *option) const { return m_parser.value(QLatin1String(option)); }
    bool json() const { return m_json; }
    // The run's temporaries, for files written beyond `write`.
    Temporaries &temporaries() const { return m_temporaries; }

    // Text for standard output, written when the command ends.
    QTextStream &out() { return m_out; }
    // Says that `output` was written: on standard error when it is standard output itself, once
    // standard output is written.
    void written(const QString &output, const QString &text);
    // Notes files written other than by `write`, so that a report that fails names them.
    void wrote(const QString &files) { m_written << files; }
    void outBytes(std::span<const std::uint8_t> bytes);
    // Says why on standard error (and, for --format json, as an object on standard output).
    int fail(int status, const QString &message);
    // A problem as it stands, file names shown as typed, and what follows from it: status 1
    // when what a file holds is refused, else 2 (a file that cannot be read or written, a
    // broken table).
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

    // A whole input, remembered so that no output lands on it: exit status 2 on failure. A
    // stream is read once: standard input named twice is refused.
    bool read(const QString &argument, FileBytes &bytes, std::size_t maxSize,
              FileIo::Source source = FileIo::Source::Stream);
    // A ROM or patch, refused when empty.
    bool readRom(const QString &argument, FileBytes &bytes,
                 FileIo::Source source = FileIo::Source::Stream);
    bool readPatch(const QString &argument, FileBytes &bytes);
    // Holds the file, so that another run that changes it waits until this one ends.
    bool lock(const QString &argument);
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
    // An input of at most `maxSize` bytes that must not be empty.
    bool readWhole(const QString &argument, FileBytes &bytes, std::size_t maxSize,
                   FileIo::Source source);
    FileIo::Output output(bool replace) const;

    const QCommandLineParser &m_parser;
    bool m_json;
    QByteArray m_stdout;
    QTextStream m_out;
    std::optional<std::pair<int, QString>> m_failure;
    bool m_reportCarriesFailure = false;
    std::vector<FileId> m_inputs;
    std::vector<int> m_streams; // descriptors read as inputs
    Temporaries &m_temporaries;
    FileLock m_lock;
    QStringList m_written;  // files written, for a report that cannot be
    QString m_saidOfStdout; // what `written` says of standard output once it is
};

} // namespace tintwright
