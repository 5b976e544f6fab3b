#include "Arguments.h"

#include "document/NumberText.h"
#include "document/TextEncoding.h"

namespace tintwright {

namespace {

constexpr char16_t kKeptByte = 0xDC00; // + the byte, for bytes 0x80 to 0xFF

bool isKeptByte(QChar c) {
    return c.unicode() >= kKeptByte + 0x80 && c.unicode() <= kKeptByte + 0xFF;
}

// The length of the UTF-8 sequence a lead byte starts, if it may start one.
std::size_t sequenceLength(unsigned char lead) {
    if ((lead & 0x80) == 0)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    return (lead & 0xF0) == 0xE0 ? 3 : 4;
}

} // namespace

QString Arguments::decode(std::string_view bytes) {
    QString out;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = sequenceLength(static_cast<unsigned char>(bytes[i]));
        const std::string_view sequence = bytes.substr(i, length);
        if (sequence.size() == length && TextEncoding::isValidUtf8(sequence)) {
            out += QString::fromUtf8(sequence.data(), qsizetype(length));
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
    QString out;
    for (qsizetype i = 0; i < argument.size(); ++i) {
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
