#include "Cases.h"
#include "document/NumberText.h"
#include "document/RomIdentity.h"

using namespace tintwright;

// A ROM file as catalogues name it: its header and its hashes. The cases are in
// tests/data/copies.json.
class tst_RomIdentity : public QObject {
    Q_OBJECT

private slots:
    void identity_data() { addCases("copies", "headers"); }
    void identity();
};

void tst_RomIdentity::identity() {
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
    const QString header = QStringLiteral("%1 mapper %2 prg %3 chr %4 %5%6%7 beyond %8 data %9")
                               .arg(RomHeader::name(h.kind), mapper)
                               .arg(h.prgBytes)
                               .arg(h.chrBytes)
                               .arg(RomHeader::name(h.mirroring), h.battery ? " battery" : "",
                                    h.trainer ? " trainer" : "")
                               .arg(h.claimedBeyondFile)
                               .arg(h.dataStart(std::size_t(file.size())));
    QCOMPARE(header, row["header"].toString());
    const auto digests = [](const Checksum::Digests &d) {
        return QString::fromStdString(NumberText::hex(d.crc32, 8) + ' ' + d.md5 + ' ' + d.sha1);
    };
    QCOMPARE(digests(identity.file), row["file"].toString());
    QCOMPARE(digests(identity.data), row["data"].toString());
    // A header that disagrees with its file says so, by how much.
    const auto warnings = identity.warnings();
    QCOMPARE(warnings.size(), std::size_t(h.kind != RomHeader::Kind::None && h.claimedBeyondFile));
    if (!warnings.empty())
        QVERIFY(warnings[0].find(std::to_string(std::abs(h.claimedBeyondFile))) !=
                std::string::npos);
}

QTEST_APPLESS_MAIN(tst_RomIdentity)
#include "tst_RomIdentity.moc"
