#include "Cases.h"
#include "patches/BpsPatch.h"
#include "patches/IpsPatch.h"
#include "patches/PatchError.h"

#include <QRandomGenerator>

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
    void roundTrips();
};

namespace {

Bytes bytes(const QByteArray &array) {
    return Bytes(array.begin(), array.end());
}

// By its first bytes, as the command tells them apart, unless the case names the format.
Bytes applied(const Bytes &original, const Bytes &patch, const QString &name = {}) {
    const bool bps =
        name.startsWith("BPS:") || (!name.startsWith("IPS:") && patch.size() >= 4 &&
                                    std::equal(patch.begin(), patch.begin() + 4, "BPS1"));
    return bps ? BpsPatch::apply(original, patch) : IpsPatch::apply(original, patch);
}

} // namespace

void tst_Patches::make() {
    QFETCH(QJsonArray, row); // original, edited, format, the patch in hex
    const Bytes original = bytes(row[1].toString().toLatin1()),
                edited = bytes(row[2].toString().toLatin1());
    const Bytes patch =
        row[3] == "ips" ? IpsPatch::create(original, edited) : BpsPatch::create(original, edited);
    QCOMPARE(
        QByteArray(reinterpret_cast<const char *>(patch.data()), qsizetype(patch.size())).toHex(),
        row[4].toString());
    QVERIFY(applied(original, patch) == edited);
}

void tst_Patches::apply() {
    QFETCH(QJsonArray, row); // source, patch in hex, result or refusal
    QString got;
    try {
        const Bytes result =
            applied(bytes(row[1].toString().toLatin1()),
                    bytes(QByteArray::fromHex(row[2].toString().toLatin1())), row[0].toString());
        got = QString::fromLatin1(reinterpret_cast<const char *>(result.data()),
                                  qsizetype(result.size()));
    } catch (const PatchError &error) {
        got = QStringLiteral("offset 0x%1: %2")
                  .arg(error.offset(), 6, 16, QLatin1Char('0'))
                  .arg(error.what())
                  .toUpper()
                  .replace("0X", "0x");
        QVERIFY2(!row[3].toString().isEmpty() &&
                     got.contains(row[3].toString(), Qt::CaseInsensitive),
                 qPrintable(got));
        return;
    }
    QCOMPARE(got, row[3].toString());
}

void tst_Patches::roundTrips() {
    // Whatever the edit, applying its patch to the original gives the edited file, in both
    // formats: sizes equal and not, the first and last bytes, long runs, a change where a
    // record would read as EOF. Files past 16 MiB, which only BPS reaches, are in the
    // command's cases.
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
        edited.front() ^= trial % 2, edited.back() ^= trial % 5 == 0;
        if (trial < 3)
            edited[0x454F46] ^= 0x55, edited[0x454F44] ^= trial;
        // A change longer than one IPS record holds (65535 bytes).
        for (std::size_t i = 1000; trial == 0 && i < 71000; ++i)
            edited[i] = ~original[i];
        QVERIFY(applied(original, IpsPatch::create(original, edited)) == edited);
        QVERIFY(applied(original, BpsPatch::create(original, edited)) == edited);
    }
}

QTEST_APPLESS_MAIN(tst_Patches)
#include "tst_Patches.moc"
