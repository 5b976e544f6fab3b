#include "Arguments.h"

#include "document/NumberText.h"
#include "document/TextEncoding.h"

namespace tintwright {

namespace {

constexpr char16_t kKeptByte = 0xDC00; // + the byte, for bytes 0x80 to 0xFF

bool isKeptByte(QChar c) {
    const int byte = c.unicode() - kKeptByte;
    return byte >= 0x80 && byte <= 0xFF;
}

} // namespace

QString Arguments::decode(std::string_view bytes) {
    QString out;
    for (std::size_t i = 0; i < bytes.size();) {
        if (const std::size_t length = TextEncoding::sequenceAt(bytes, i)) {
            out += QString::fromUtf8(bytes.data() + i, qsizetype(length));
            i += length;
        } else {
            out += QChar(char16_t(kKeptByte + static_cast<unsigned char>(bytes[i++])));
        }
    }
    return out;
}

std::string Arguments::encode(const QString &argument) {
    std::string out;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const QChar c = argument[i];
        if (isKeptByte(c)) {
            out += char(c.unicode() & 0xFF);
        } else {
            // A pair of surrogates is one character.
            const qsizetype length = c.isHighSurrogate() && i + 1 < argument.size() ? 2 : 1;
            out += argument.mid(i, length).toStdString();
            i += length - 1;
        }
    }
    return out;
}

QString Arguments::shown(const QString &argument) {
    // Longer than any path the system takes: the start of it, and how long it is.
    constexpr qsizetype kShown = 256;
    QString out;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        if (i == kShown)
            return out + QStringLiteral("\u2026 (%1 characters in all)").arg(argument.size());
        const QChar c = argument[i];
        const char16_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < argument.size()) {
            out += argument.mid(i++, 2); // a character past U+FFFF
        } else if (isKeptByte(c) || code < 0x20 || code == 0x7F) {
            const int byte = isKeptByte(c) ? code - kKeptByte : code;
            out += QStringLiteral("\\x") +
                   QString::fromStdString(NumberText::hex(std::uint64_t(byte), 2));
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace tintwright
