#include "Cases.h"
#include "document/NumberText.h"
#include "document/PalettePort.h"
#include "document/PortEvidence.h"
#include "document/RomIdentity.h"

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
    void neverWrong();
    void evidence_data() { addCases("copies", "evidence"); }
    void evidence();
};

namespace {

// 64 KiB of varied bytes after an iNES header, with a colour at every palette byte.
struct Reference {
    std::vector<std::uint8_t> rom;
    LocationTables tables;
    std::vector<std::int64_t> addresses; // every row's, back rows first
};

void addRows(LocationTable &table, std::int32_t first, int count, int step) {
    for (int k = 0; k < count; ++k) {
        table.addresses.push_back(first + k * step);
        table.names.push_back("r" + std::to_string(table.addresses.size()));
        table.lines.push_back(table.rows());
    }
}

// Changes to the reference before it is copied: a fill, every byte between the front table's
// palettes set to one value, or the whole file one short pattern.
void prepare(Reference &made, const QJsonArray &edits) {
    for (const QJsonValue edit : edits) {
        const QStringList w = edit.toString().split(' ');
        const std::size_t at = w.value(1).toULongLong(nullptr, 0),
                          n = w.value(2).toULongLong(nullptr, 0);
        const auto value = std::uint8_t(w.value(3).toUInt(nullptr, 0));
        if (w[0] == "fill")
            std::fill_n(made.rom.begin() + std::ptrdiff_t(at), n, value);
        for (std::size_t i = 0; w[0] == "pattern" && i < made.rom.size(); ++i)
            made.rom[i] = std::uint8_t(i % at * 37 + 11);
        // Between the palettes of each table that has a few bytes between them.
        for (const LocationTable *table : {&made.tables.back, &made.tables.front})
            for (std::size_t r = 1; w[0] == "separators" && r < table->addresses.size(); ++r)
                for (auto k = table->addresses[r - 1] + 3;
                     k < table->addresses[r] && table->addresses[r] - k < 8; ++k)
                    made.rom[std::size_t(k)] = std::uint8_t(at);
    }
}

// The tables of a random reference: up to eight, anywhere, their palettes side by side or a few
// bytes apart or far apart.
void randomTables(Reference &made, QRandomGenerator &random) {
    for (int t = random.bounded(1, 9); t > 0; --t) {
        const int steps[] = {3, 4, 5, 8, 64, 0x300};
        const int step = steps[random.bounded(6)], first = random.bounded(16, 0xFF00);
        const int count = std::min(random.bounded(1, 30), (0x10010 - 3 - first) / step + 1);
        addRows(random.bounded(2) ? made.tables.front : made.tables.back, first, count, step);
    }
}

Reference reference(const QJsonArray &edits = {}, std::uint32_t seed = 27, bool anyTables = false) {
    Reference made;
    QRandomGenerator random(seed);
    made.rom.resize(0x10010);
    for (auto &byte : made.rom)
        byte = std::uint8_t(random.bounded(256));
    if (anyTables) {
        randomTables(made, random);
    } else {
        // Back: a table of palettes side by side, one with a byte between each, three alone,
        // and one at the very start of a bank.
        addRows(made.tables.back, 0x2010, 24, 3);
        addRows(made.tables.back, 0x6000, 8, 4);
        addRows(made.tables.back, 0x9000, 3, 0x1000);
        addRows(made.tables.back, 0x8010, 6, 4);
        // Front: a table five bytes apart, two alone, and a palette the back list has too.
        addRows(made.tables.front, 0xC000, 16, 5);
        addRows(made.tables.front, 0xD000, 2, 0x1000);
        addRows(made.tables.front, 0x2010, 1, 0);
        // Before the last row alone, a plain fill: only the bytes after it tell where it lies.
        std::fill_n(made.rom.begin() + 0xAFF0, 16, 0);
    }
    for (const QJsonValue edit : edits) // a row of its own, at the back list's end
        if (edit.toString().startsWith("row "))
            addRows(made.tables.back, edit.toString().section(' ', 1).toInt(nullptr, 0), 1, 0);
    for (const LocationTable *table : {&made.tables.back, &made.tables.front})
        for (const std::int32_t address : table->addresses) {
            made.addresses.push_back(address);
            for (int i = 0; i < 3; ++i)
                made.rom[std::size_t(address + i)] = std::uint8_t(random.bounded(0x40));
        }
    prepare(made, edits);
    return made;
}

// The copy made by `edits`, and where each row's palette went: none, one place or several.
std::vector<std::vector<std::int64_t>> copy(const Reference &ref, const QJsonArray &edits,
                                            std::vector<std::uint8_t> &other,
                                            QRandomGenerator &random) {
    other = ref.rom;
    std::vector<std::vector<std::int64_t>> places;
    for (const std::int64_t address : ref.addresses)
        places.push_back({address});
    const auto noise = [&](auto first, std::int64_t n) {
        std::generate_n(first, n, [&] { return std::uint8_t(random.bounded(256)); });
    };
    for (const QJsonValue edit : edits) {
        const QStringList words = (edit.toString() + " 0 0").split(' ');
        const std::string what = words[0].toStdString();
        const auto size = std::int64_t(other.size());
        const std::int64_t at = std::min<std::int64_t>(words[1].toLongLong(nullptr, 0), size),
                           n = std::min<std::int64_t>(words[2].toLongLong(nullptr, 0), size - at);
        std::vector<bool> palette(other.size());
        for (auto &each : places) {
            std::vector<std::int64_t> now;
            for (const std::int64_t p : each) {
                const bool inside = p >= at && p + 3 <= at + n;
                std::fill_n(palette.begin() + p, 3, true);
                if (what == "insert")
                    now.push_back(p >= at ? p + n : p);
                else if (what == "cut" && (p >= at + n || p + 3 <= at))
                    now.push_back(p >= at + n ? p - n : p);
                else if (what == "scramble" && (p + 3 <= at || p >= at + n))
                    now.push_back(p);
                else if (what == "copy" || what == "move")
                    // A move leaves new bytes behind: a palette partly in the block is gone.
                    for (const bool there : {true, false})
                        if (there ? what == "copy" || p + 3 <= at || p >= at + n : inside)
                            now.push_back(there ? p : size + p - at);
                if (what == "recolour")
                    for (int i = 0; i < 3; ++i)
                        other[std::size_t(p + i)] =
                            std::uint8_t((other[std::size_t(p + i)] + 1) & 0x3F);
            }
            if (what == "recolour" || what == "sprinkle")
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
        // A byte in `at` of those that are no palette changed.
        for (std::size_t i = 0; what == "sprinkle" && i < other.size(); ++i)
            if (!palette[i] && random.bounded(int(at)) == 0)
                other[i] = std::uint8_t(other[i] + 1 + random.bounded(255));
    }
    return places;
}

// The rows the port into `other` got wrong: found once where the row is not, or found once
// though it lies at several places; and the counts of rows found once and with several
// candidates.
QStringList wrongRows(const Reference &ref, const std::vector<std::vector<std::int64_t>> &places,
                      const std::vector<std::uint8_t> &other, int counts[3]) {
    const PalettePort::Result result = PalettePort::port(ref.rom, other, ref.tables);
    std::vector<PalettePort::Row> found = result.back;
    found.insert(found.end(), result.front.begin(), result.front.end());
    QStringList wrong;
    for (std::size_t k = 0; k < found.size(); ++k) {
        auto expected = places[k];
        std::sort(expected.begin(), expected.end());
        const PalettePort::Row &row = found[k];
        counts[0] += row.sure == PalettePort::Sure::One;
        counts[1] += row.sure == PalettePort::Sure::Several;
        counts[2] += row.sure == PalettePort::Sure::Several ? int(row.found.size()) : 0;
        const bool listed =
            expected.empty() || row.more ||
            std::includes(row.found.begin(), row.found.end(), expected.begin(), expected.end());
        // Said at the same place exactly when it has not moved.
        const bool one = row.sure == PalettePort::Sure::One;
        if ((one && (row.found != expected || (row.how == PalettePort::How::SamePlace) !=
                                                  (expected[0] == ref.addresses[k]))) ||
            (row.sure == PalettePort::Sure::Several && !listed))
            wrong << QStringLiteral("row %1 at %2").arg(k).arg(ref.addresses[k], 0, 16);
    }
    return wrong;
}

} // namespace

void tst_Copies::port() {
    QFETCH(QJsonObject, row);
    const Reference ref = reference(row["reference"].toArray());
    std::vector<std::uint8_t> other;
    QRandomGenerator random(7);
    const auto places = copy(ref, row["edits"].toArray(), other, random);
    int counts[3] = {};
    const QStringList wrong = wrongRows(ref, places, other, counts);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(", ")));
    QCOMPARE(counts[0], row["one"].toInt());
    QCOMPARE(counts[1], row["several"].toInt());
    QCOMPARE(counts[2], row["candidates"].toInt(counts[2]));
}

// Random references and random edits: whatever the port cannot prove it may leave unresolved,
// but it never finds a row at a place where it is not.
void tst_Copies::neverWrong() {
    const QStringList kinds{"insert", "cut", "scramble", "copy", "move", "recolour", "sprinkle"};
    for (std::uint32_t trial = 0; trial < 300; ++trial) {
        QRandomGenerator random(trial);
        QJsonArray prepared, edits;
        if (random.bounded(3) == 0)
            prepared.append(QStringLiteral("fill %1 %2 255")
                                .arg(random.bounded(0xF000))
                                .arg(random.bounded(0x800)));
        if (random.bounded(3) == 0)
            prepared.append(QStringLiteral("separators %1").arg(random.bounded(256)));
        for (int e = random.bounded(1, 5); e > 0; --e) {
            const QString kind = kinds[random.bounded(int(kinds.size()))];
            const int at = random.bounded(0x10000), n = random.bounded(1, 0x800);
            edits.append(kind == "sprinkle"
                             ? QStringLiteral("sprinkle %1").arg(random.bounded(8, 40))
                             : QStringLiteral("%1 %2 %3").arg(kind).arg(at).arg(n));
        }
        const Reference ref = reference(prepared, trial + 100, trial % 2);
        std::vector<std::uint8_t> other;
        const auto places = copy(ref, edits, other, random);
        int counts[3] = {};
        const QStringList wrong = wrongRows(ref, places, other, counts);
        QVERIFY2(wrong.isEmpty(), qPrintable(QJsonDocument(edits).toJson(QJsonDocument::Compact) +
                                             ": " + wrong.join(", ")));
    }
}

void tst_Copies::evidence() {
    QFETCH(QJsonObject, row);
    const QByteArray reference = row["reference"].toString().toLatin1(),
                     other = row["other"].toString().toLatin1();
    const auto bytes = [](const QByteArray &b) {
        return std::span(reinterpret_cast<const std::uint8_t *>(b.data()), std::size_t(b.size()));
    };
    std::array<double, 256> bits{};
    bits.fill(6);
    PortEvidence evidence(bytes(reference), bytes(other), bits, row["threshold"].toDouble(), 4);
    std::vector<bool> palette(std::size_t(reference.size()));
    std::vector<std::int64_t> rows;
    for (const QJsonValue at : row["rows"].toArray()) {
        rows.push_back(at.toInt());
        std::fill_n(palette.begin() + at.toInt(), 3, true);
    }
    std::vector<PortEvidence::Verdict> verdicts;
    evidence.judge(0, std::size_t(reference.size()), palette, rows, row["shift"].toInt(), verdicts);
    QStringList said;
    for (const PortEvidence::Verdict &v : verdicts)
        said << QString(v.own ? "o" : "-") + (v.enclosed ? "e" : "-") + (v.loose ? "l" : "-") +
                    (v.tied ? "t" : "-") + (v.fits ? "f" : "-");
    QCOMPARE(said.join(' '), row["verdicts"].toString());
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
