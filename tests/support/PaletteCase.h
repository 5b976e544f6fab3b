#pragma once

#include "document/LocationTable.h"
#include "document/ProgramFolder.h"

#include <QJsonObject>

#include <vector>

// The ROM, its edited copy and the tables of a case in tests/data/palettes.json: 64 bytes of 0F
// with five palettes, three back rows and two front rows, unless the case's setup says otherwise.
struct PaletteCase {
    tintwright::LocationTables tables;
    std::vector<std::uint8_t> rom;
    std::vector<std::uint8_t> copy;

    explicit PaletteCase(const QJsonObject &setup) {
        const auto table = [&](const char *key, const char *standard) {
            return tintwright::ProgramFolder::readTable(
                setup.contains(key) ? setup[key].toString().toLatin1().toStdString() : standard,
                key);
        };
        tables.back =
            table("back", "16,\"Quill, the First\"\r\n19,Caf\xe9 \"Noir\"\r\n40,Third\r\n");
        tables.front = table("front", "24,Alpha\r\n28,Beta\r\n");
        std::vector<std::uint8_t> bytes(64, 0x0F);
        for (const auto &[at, colours] : {std::pair{16, "\x0F\x21\x16"},
                                          {19, "\x0F\x2A\x16"},
                                          {40, "\x0F\x30\x10"},
                                          {24, "\x0F\x11\x21"},
                                          {28, "\x0F\x12\x22"}})
            std::copy_n(colours, 3, bytes.begin() + at);
        rom = patched(bytes, setup["patch"].toObject());
        copy = patched(rom, setup["copy"].toObject());
    }

    // Bytes cut or grown with zeros to "size", then changed where `patch` says
    // ("offset": "hex bytes"), growing again for bytes past the end.
    static std::vector<std::uint8_t> patched(std::vector<std::uint8_t> bytes,
                                             const QJsonObject &patch) {
        bytes.resize(std::size_t(patch["size"].toString(QString::number(bytes.size())).toInt()));
        for (auto it = patch.begin(); it != patch.end(); ++it) {
            const QByteArray hex = QByteArray::fromHex(it.value().toString().toLatin1());
            const auto at = std::size_t(it.key().toInt());
            if (it.key() != "size") {
                bytes.resize(std::max(bytes.size(), at + std::size_t(hex.size())));
                std::copy(hex.begin(), hex.end(), bytes.begin() + std::ptrdiff_t(at));
            }
        }
        return bytes;
    }
};
