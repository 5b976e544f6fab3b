#include "Cases.h"
#include "document/ByteBuffer.h"
#include "document/WindowIndex.h"

#include <vector>

using tintwright::WindowIndex;

// The hashed windows that find moved content: their comparisons, which windows they hold, and
// places beyond 32-bit offsets.
class tst_WindowIndex : public QObject {
    Q_OBJECT

private slots:
    void common_data() { addCases("windowindex", "common"); }
    void common();
    void matches_data() { addCases("windowindex", "matches"); }
    void matches();
    void runsAndDepth();
    void pastTwoGigabytes();
};

namespace {

// Bytes that never repeat eight in a row within 4096: each byte pair (i, i >> 8) is new.
std::vector<std::uint8_t> unrepeated(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = std::uint8_t(i % 2 ? (i >> 9) * 37 + 11 : (i >> 1) * 7 + 3);
    return bytes;
}

} // namespace

void tst_WindowIndex::common() {
    QFETCH(QJsonObject, row);
    // b differs from a `differs` bytes after the start, c as many bytes before the end.
    std::vector<std::uint8_t> a(40, 0x5A), b = a, c = a;
    const int differs = row["differs"].toInt();
    const auto limit = std::size_t(row["limit"].toInt());
    if (differs < 40) {
        b[std::size_t(differs)] = 0xA5;
        c[std::size_t(39 - differs)] = 0x3C;
    }
    const auto expected = std::size_t(row["expected"].toInt());
    QCOMPARE(WindowIndex::common(a.data(), b.data(), limit), expected);
    QCOMPARE(WindowIndex::commonBefore(a.data() + 40, c.data() + 40, limit), expected);
}

void tst_WindowIndex::matches() {
    QFETCH(QJsonObject, row);
    const std::vector<std::uint8_t> file = unrepeated(4096);
    const auto at = std::size_t(row["at"].toInt()), length = std::size_t(row["length"].toInt());
    std::vector<std::uint8_t> here(file.begin() + std::ptrdiff_t(at),
                                   file.begin() + std::ptrdiff_t(at + length));
    here.resize(length + 16, 0xEE); // no byte of the file at these places is 0xEE
    WindowIndex index(file.size());
    index.addAll(file);
    const auto limit = std::size_t(row["limit"].toInt(int(here.size())));
    const auto before = std::size_t(row["before"].toInt(int(file.size())));
    const auto [where, found] =
        index.longest(file, here.data(), std::size_t(row["phase"].toInt()), 16, before,
                      [&](std::size_t place) { return std::min(limit, file.size() - place); });
    if (row["found"].toBool()) {
        QCOMPARE(where, at);
        QCOMPARE(found, std::min(length, limit));
    } else {
        QCOMPARE(found, std::size_t(0));
    }
}

// A window of one byte repeated is not indexed (a run is found by its end); a window that
// lies at several places is found at each, newest first, and the newest alone at depth 1 (it
// is the file's last window, so no other can be newer in its chain).
void tst_WindowIndex::runsAndDepth() {
    std::vector<std::uint8_t> file = unrepeated(608);
    std::fill(file.begin() + 64, file.begin() + 96, 0x41);
    const std::uint8_t window[] = {9, 8, 7, 6, 5, 4, 3, 2};
    for (const std::size_t place : {200, 400, 600})
        std::copy(std::begin(window), std::end(window), file.begin() + std::ptrdiff_t(place));
    WindowIndex index(file.size());
    index.addAll(file);
    std::vector<std::size_t> seen;
    index.alike(file.data() + 64, 99, [&](std::size_t place) { seen.push_back(place); });
    QVERIFY(seen.empty());
    index.alike(window, 99, [&](std::size_t place) { seen.push_back(place); });
    QCOMPARE(seen, (std::vector<std::size_t>{600, 400, 200}));
    seen.clear();
    index.alike(window, 1, [&](std::size_t place) { seen.push_back(place); });
    QCOMPARE(seen, std::vector<std::size_t>{600});
    QVERIFY(index.holds(file, window, WindowIndex::hashOf(window)));
    const std::uint8_t unseen[] = {1, 2, 3, 4, 5, 6, 7, 8};
    QVERIFY(!index.holds(file, unseen, WindowIndex::hashOf(unseen)));
}

// Positions are kept as window numbers in 32 bits: a place past 2^31 comes back whole.
void tst_WindowIndex::pastTwoGigabytes() {
    const std::size_t size = (std::size_t(1) << 31) + 4096, place = size - 1024;
    const tintwright::ByteBuffer file(size); // zero pages: only those touched take memory
    const std::vector<std::uint8_t> copy = unrepeated(16);
    std::copy(copy.begin(), copy.end(), file.get() + place);
    WindowIndex index(size, WindowIndex::Layout::Sparse);
    index.add(file.get() + place, place);
    const auto [where, found] =
        index.longest({file.get(), size}, copy.data(), 0, 4, size, [](std::size_t) { return 16; });
    QCOMPARE(where, place);
    QCOMPARE(found, std::size_t(16));
}

QTEST_GUILESS_MAIN(tst_WindowIndex)
#include "tst_WindowIndex.moc"
