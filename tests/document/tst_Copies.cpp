#include "Cases.h"
#include "document/NumberText.h"
#include "document/PalettePort.h"
#include "document/RomIdentity.h"

#include <QRandomGenerator>

using namespace tintwright;

// Copies of the game: which ROM a file is (its header and hashes), and where the palettes lie in
// another copy. Each port case makes that copy from a generated ROM by a list of edits, as hacks
// and other editions do, and follows every palette through them. The cases are in
// tests/data/copies.json.
class tst_Copies : public QObject {
    Q_OBJECT

private slots:
    void identity_data() { addCases("copies", "headers"); }
    void identity();
    void port_data() { addCases("copies", "port"); }
    void port();
};

namespace {

// 64 KiB of varied bytes after an iNES header, with a colour at every palette byte.
struct Reference {
    std::vector<std::uint8_t> rom;
    LocationTables tables;
    std::vector<std::int64_t> addresses; // every row's, back rows first
};

Reference reference() {
    Reference made;
    QRandomGenerator random(27);
    made.rom.resize(0x10010);
    for (auto &byte : made.rom)
        byte = std::uint8_t(random.bounded(256));
    const auto rows = [&](LocationTable &table, std::int32_t first, int count, int step) {
        for (int k = 0; k < count; ++k) {
            table.addresses.push_back(first + k * step);
            table.names.push_back("r" + std::to_string(table.addresses.size()));
            table.lines.push_back(table.rows());
        }
    };
    // Back: a table of palettes side by side, one with a byte between each, three alone.
    rows(made.tables.back, 0x2010, 24, 3);
    rows(made.tables.back, 0x6000, 8, 4);
    rows(made.tables.back, 0x9000, 3, 0x1000);
    // Front: a table five bytes apart, two alone, and a palette the back list has too.
    rows(made.tables.front, 0xC000, 16, 5);
    rows(made.tables.front, 0xD000, 2, 0x1000);
    rows(made.tables.front, 0x2010, 1, 0);
    // Before the last row alone, a plain fill: only the bytes after it tell where it lies.
    std::fill_n(made.rom.begin() + 0xAFF0, 16, 0);
    for (const LocationTable *table : {&made.tables.back, &made.tables.front})
        for (const std::int32_t address : table->addresses) {
            made.addresses.push_back(address);
            for (int i = 0; i < 3; ++i)
                made.rom[std::size_t(address + i)] = std::uint8_t(random.bounded(0x40));
        }
    return made;
}

} // namespace

void tst_Copies::port() {
    QFETCH(QJsonObject, row);
    const Reference ref = reference();
    std::vector<std::uint8_t> other = ref.rom;
    // Where each row's palette lies in the copy: none, one place or several.
    std::vector<std::vector<std::int64_t>> places;
    for (const std::int64_t address : ref.addresses)
        places.push_back({address});
    QRandomGenerator random(7);
    const auto noise = [&](auto first, std::int64_t n) {
        std::generate_n(first, n, [&] { return std::uint8_t(random.bounded(256)); });
    };
    for (const QJsonValue edit : row["edits"].toArray()) {
        const QStringList words = edit.toString().split(' ') << "0"
                                                             << "0";
        const std::string what = words[0].toStdString();
        const std::int64_t at = words[1].toLongLong(nullptr, 0),
                           n = words[2].toLongLong(nullptr, 0);
        const auto size = std::int64_t(other.size());
        for (auto &each : places) {
            std::vector<std::int64_t> now;
            for (const std::int64_t p : each) {
                const bool inside = p >= at && p + 3 <= at + n;
                if (what == "insert")
                    now.push_back(p >= at ? p + n : p);
                else if (what == "cut" && (p >= at + n || p + 3 <= at))
                    now.push_back(p >= at + n ? p - n : p);
                else if (what == "scramble" && (p + 3 + 16 <= at || p - 16 >= at + n))
                    now.push_back(p);
                else if (what == "copy" || what == "move")
                    // Whole groups with their surroundings are copied or moved.
                    for (const bool there : {true, false})
                        if (there ? !(inside && what == "move") : inside)
                            now.push_back(there ? p : size + p - at);
                if (what == "recolour")
                    for (int i = 0; i < 3; ++i)
                        other[std::size_t(p + i)] =
                            std::uint8_t((other[std::size_t(p + i)] + 1) & 0x3F);
            }
            if (what == "recolour")
                now = each;
            each = now;
        }
        const auto from = other.begin() + at;
        if (what == "insert") {
            other.insert(from, std::size_t(n), 0);
            noise(other.begin() + at, n);
        } else if (what == "cut") {
            other.erase(from, from + n);
        } else if (what == "scramble") {
            noise(from, n);
        } else if (what == "copy" || what == "move") {
            const std::vector<std::uint8_t> block(from, from + n);
            other.insert(other.end(), block.begin(), block.end());
            if (what == "move")
                noise(other.begin() + at, n);
        }
    }

    const PalettePort::Result result = PalettePort::port(ref.rom, other, ref.tables);
    std::vector<PalettePort::Row> found = result.back;
    found.insert(found.end(), result.front.begin(), result.front.end());
    QCOMPARE(found.size(), places.size());
    QStringList wrong;
    for (std::size_t k = 0; k < found.size(); ++k) {
        auto expected = places[k];
        std::sort(expected.begin(), expected.end());
        const auto sure = expected.empty()       ? PalettePort::Sure::None
                          : expected.size() == 1 ? PalettePort::Sure::One
                                                 : PalettePort::Sure::Several;
        if (found[k].sure != sure || found[k].found != expected)
            wrong << QStringLiteral("row %1 at %2").arg(k).arg(ref.addresses[k], 0, 16);
        // Said at the same place exactly when it has not moved.
        QCOMPARE(found[k].how == PalettePort::How::SamePlace && sure == PalettePort::Sure::One,
                 sure == PalettePort::Sure::One && expected[0] == ref.addresses[k]);
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(", ")));
}

void tst_Copies::identity() {
    QFETCH(QJsonObject, row);
    QByteArray file = QByteArray::fromHex(row["start"].toString().toLatin1());
    for (int k = 0; file.size() < row["size"].toInt(); ++k)
        file += char((k * 7 + 3) & 0xFF);
    const RomIdentity identity = RomIdentity::of(
        {reinterpret_cast<const std::uint8_t *>(file.constData()), std::size_t(file.size())});
    const RomHeader &h = identity.header;
    QString mapper = QString::number(h.mapper);
    if (h.kind == RomHeader::Kind::Nes20)
        mapper += '.' + QString::number(h.submapper);
    const QString header =
        QStringLiteral("%1 mapper %2 prg %3 chr %4 %5%6%7 beyond %8 data %9")
            .arg(RomHeader::name(h.kind), mapper)
            .arg(QString::fromStdString(h.prgRom.text()), QString::fromStdString(h.chrRom.text()))
            .arg(RomHeader::name(h.mirroring), h.battery ? " battery" : "",
                 h.trainer ? " trainer" : "")
            .arg(h.claimedBeyondFile ? QString::number(*h.claimedBeyondFile)
                                     : QStringLiteral("any"))
            .arg(h.dataStart(std::size_t(file.size())));
    QCOMPARE(header, row["header"].toString());
    const auto digests = [](const Checksum::Digests &d) {
        return QString::fromStdString(NumberText::hex(d.crc32, 8) + ' ' + d.md5 + ' ' + d.sha1);
    };
    QCOMPARE(digests(identity.file), row["file"].toString());
    QCOMPARE(digests(identity.data), row["data"].toString());
    QStringList warnings;
    for (const std::string &warning : identity.warnings())
        warnings << QString::fromStdString(warning);
    QCOMPARE(warnings, row["warnings"].toVariant().toStringList());
}

QTEST_APPLESS_MAIN(tst_Copies)
#include "tst_Copies.moc"
