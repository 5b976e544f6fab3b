#include "Cases.h"
#include "document/Problem.h"
#include "patches/BpsPatch.h"
#include "patches/IpsPatch.h"
#include "patches/Patch.h"

using namespace tintwright;
using Bytes = std::vector<std::uint8_t>;

// IPS and BPS patches: known answers worked out by hand, patches made by hand that use every
// record and action, refusals, and round trips. The cases are in tests/data/patches.json.
class tst_Patches : public QObject {
    Q_OBJECT

private slots:
    void make_data() { addCases("patches", "make"); }
    void make();
    void apply_data() { addCases("patches", "apply"); }
    void apply();
    void regions_data() { addCases("patches", "regions"); }
    void regions();
    void roundTrips();
};

namespace {

Bytes bytes(const QByteArray &array) {
    return Bytes(array.begin(), array.end());
}

// By its first bytes, as the command tells them apart, unless the case names the format.
Patch::Format formatOf(const Bytes &patch, const QString &name = {}) {
    return name.startsWith("BPS:")   ? Patch::Format::Bps
           : name.startsWith("IPS:") ? Patch::Format::Ips
                                     : Patch::detect(patch, "");
}

Bytes applied(const Bytes &original, const Bytes &patch, const QString &name = {}) {
    return Patch::apply(formatOf(patch, name), original, patch);
}

// The patch makes `result` and nothing else: not with any one byte changed, nor a byte short.
void onlyMakes(const Bytes &original, const Bytes &patch, Bytes result, const QString &name = {}) {
    const Patch::Format format = formatOf(patch, name);
    QVERIFY(Patch::makes(format, original, patch, result));
    for (std::size_t i = 0; i < result.size(); ++i) {
        Bytes changed = result;
        changed[i] ^= 0x40;
        QVERIFY(!Patch::makes(format, original, patch, changed));
    }
    if (!result.empty())
        QVERIFY(!Patch::makes(format, original, patch, Bytes(result.begin(), result.end() - 1)));
}

QString text(const Bytes &bytes) {
    return QString::fromLatin1(reinterpret_cast<const char *>(bytes.data()),
                               qsizetype(bytes.size()));
}

// The sizes of plain patches written from the formats' definitions, which a maker may beat but
// never exceed: IPS, a record for each stretch of changed bytes (65535 at most, none starting
// at the offset that reads "EOF"); BPS, a read of the source where the bytes agree and the
// bytes themselves elsewhere.
std::size_t numberSize(std::uint64_t value) {
    std::size_t size = 1;
    for (value >>= 7; value != 0; value >>= 7, ++size)
        --value;
    return size;
}

std::pair<std::size_t, std::size_t> plainSizes(const Bytes &a, const Bytes &b) {
    std::size_t ips = 5 + 3 + (b.size() < a.size() ? 3 : 0),
                bps = 4 + numberSize(a.size()) + numberSize(b.size()) + 1 + 12;
    for (std::size_t i = 0, j = 0; i < b.size(); i = j) {
        const bool same = i < a.size() && a[i] == b[i];
        while (j < b.size() && (j < a.size() && a[j] == b[j]) == same)
            ++j;
        bps += numberSize((j - i - 1) << 2 | (same ? 0 : 1)) + (same ? 0 : j - i);
        if (!same)
            ips += (j - i + 65534) / 65535 * 5 + (j - i) + (i == 0x454F46 ? 1 : 0);
    }
    return {ips, bps};
}

} // namespace

void tst_Patches::make() {
    QFETCH(QJsonObject, row);
    const Bytes original = bytes(row["original"].toString().toLatin1());
    const Bytes edited = bytes(row["edited"].toString().toLatin1());
    const Bytes patch = Patch::create(
        row["format"] == "ips" ? Patch::Format::Ips : Patch::Format::Bps, original, edited);
    // The patch worked out by hand makes the edit too, and the maker's is no larger.
    const Bytes byHand = bytes(QByteArray::fromHex(row["patch"].toString().toLatin1()));
    QCOMPARE(text(applied(original, byHand)), text(edited));
    QVERIFY2(patch.size() <= byHand.size(), text(patch).toLatin1().toHex());
    onlyMakes(original, patch, edited);
}

void tst_Patches::apply() {
    QFETCH(QJsonObject, row);
    const QString expected = row["result"].toString();
    const Bytes source = bytes(row["source"].toString().toLatin1());
    const Bytes patch = bytes(QByteArray::fromHex(row["patch"].toString().toLatin1()));
    try {
        const Bytes result = applied(source, patch, row["name"].toString());
        QCOMPARE(text(result), expected);
        onlyMakes(source, patch, result, row["name"].toString());
    } catch (const Problem &problem) {
        QVERIFY2(!expected.isEmpty(), problem.what());
        QVERIFY2(QString(problem.what()).contains(expected, Qt::CaseInsensitive), problem.what());
    }
}

void tst_Patches::regions() {
    QFETCH(QJsonObject, row);
    QJsonArray found;
    for (const auto &[start, end] : IpsPatch::regions(bytes(row["original"].toString().toLatin1()),
                                                      bytes(row["edited"].toString().toLatin1())))
        found.append(QJsonArray{qint64(start), qint64(end)});
    QCOMPARE(found, row["regions"].toArray());
}

void tst_Patches::roundTrips() {
    // Whatever the edit, applying its patch to the original gives the edited file, in both
    // formats: sizes equal and not, the first and last bytes, long runs, blocks copied and
    // swapped, a change where a record would read as EOF. Files past 16 MiB, which only BPS
    // reaches, are in the command's cases.
    QRandomGenerator random(4242);
    for (int trial = 0; trial < 60; ++trial) {
        const std::size_t size =
            trial < 3 ? 0x454F48 + std::size_t(trial) : random.bounded(1, 3000);
        Bytes original(size);
        for (auto &byte : original)
            byte = std::uint8_t(random.bounded(4) ? random.bounded(256) : 0);
        Bytes edited = original;
        edited.resize(trial % 3 == 1   ? size + random.bounded(1, 200)
                      : trial % 3 == 2 ? random.bounded(1, int(size) + 1)
                                       : size);
        for (int change = random.bounded(1, 20); change > 0; --change) {
            const std::size_t at = random.bounded(int(edited.size())),
                              length = random.bounded(1, 300);
            const auto value = std::uint8_t(random.bounded(256));
            for (std::size_t i = at; i < std::min(edited.size(), at + length); ++i)
                edited[i] = random.bounded(2) ? value : std::uint8_t(random.bounded(256));
        }
        // Stretches of the original copied anywhere over the edited file, and halves swapped.
        for (int block = random.bounded(4); block > 0 && size > 400 && edited.size() > 400;
             --block) {
            const std::size_t length = random.bounded(1, 400);
            std::copy_n(original.begin() + random.bounded(int(size - length)), length,
                        edited.begin() + random.bounded(int(edited.size() - length)));
        }
        if (trial % 7 == 3)
            std::rotate(edited.begin(), edited.begin() + std::ptrdiff_t(edited.size() / 2),
                        edited.end());
        edited.front() ^= trial % 2, edited.back() ^= trial % 5 == 0;
        if (trial < 3 && edited.size() > 0x454F46)
            edited[0x454F46] ^= 0x55, edited[0x454F44] ^= trial;
        // A change longer than one IPS record holds (65535 bytes).
        for (std::size_t i = 1000; trial == 0 && i < 71000; ++i)
            edited[i] = ~original[i];
        const Bytes patches[] = {IpsPatch::create(original, edited),
                                 BpsPatch::create(original, edited)};
        for (const Bytes &patch : patches) {
            QCOMPARE(text(applied(original, patch)), text(edited));
            QVERIFY(Patch::makes(formatOf(patch), original, patch, edited));
        }
        const auto [ips, bps] = plainSizes(original, edited);
        QVERIFY2(patches[0].size() <= ips, qPrintable(QString::number(trial)));
        QVERIFY2(patches[1].size() <= bps, qPrintable(QString::number(trial)));
    }
    // One IPS record holds 65535 bytes, so a change of exactly that many takes one record:
    // "PATCH", 3 bytes of offset and 2 of size, the bytes, "EOF".
    Bytes original(70000), edited;
    for (std::size_t i = 0; i < original.size(); ++i)
        original[i] = std::uint8_t(i % 251);
    edited = original;
    for (std::size_t i = 100; i < 100 + 65535; ++i)
        edited[i] = std::uint8_t(~original[i]);
    QCOMPARE(IpsPatch::create(original, edited).size(), std::size_t(5 + 5 + 65535 + 3));
}

QTEST_APPLESS_MAIN(tst_Patches)
#include "tst_Patches.moc"
