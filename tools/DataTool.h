#pragma once

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdint>
#include <vector>

class QCommandLineParser;

namespace tintwright {

struct LocationTable;
class RomDocument;

// tintwright-data's commands: each parses its arguments, reads and writes files and prints;
// the rules they apply live in the document library.
class DataTool {
public:
    Q_DECLARE_TR_FUNCTIONS(DataTool)

public:
    // Exit status: 0 done, 1 the command found problems or refused its input, 2 wrong usage
    // or a file that cannot be read or written.
    static constexpr int kDone = 0, kRefused = 1, kFailed = 2;

    DataTool(QTextStream &out, QTextStream &err) : m_out(out), m_err(err) {}
    int run(const QStringList &arguments);

private:
    struct Tables;
    int build(const QStringList &args);
    int palette(const QStringList &args);
    int check(const QStringList &args, const QCommandLineParser &parser);
    int exportCsv(const QStringList &args, const QCommandLineParser &parser);
    int importCsv(const QStringList &args, const QCommandLineParser &parser);
    int diff(const QStringList &args, const QCommandLineParser &parser);
    int patch(const QStringList &args, const QCommandLineParser &parser);
    int apply(const QStringList &args);
    int describe(const QString &path);
    bool readFile(const QString &path, std::vector<std::uint8_t> &bytes);
    bool writeFile(const QString &path, const std::vector<std::uint8_t> &bytes);

    int fail(int status, const QString &message);
    bool openRom(const QString &path, RomDocument &rom, int &status);
    bool readTables(const QCommandLineParser &parser, Tables &tables, int &status);
    bool readRom(const QString &path, QByteArray &bytes);

    QTextStream &m_out;
    QTextStream &m_err;
};

} // namespace tintwright
