#include "core/base/TextCodec.h"

#include <QStringDecoder>

#include <algorithm>
#include <iterator>

namespace {
// 0x80..0x9F of Windows-1252; the five undefined codes map to themselves.
constexpr char16_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
} // namespace

QString DecodeWindows1252(const QByteArray& bytes) {
    QString result;
    result.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        result.append(b >= 0x80 && b <= 0x9F ? QChar(kHighControls[b - 0x80]) : QChar(b));
    }
    return result;
}

namespace {
// Valid UTF-8 with at least one byte above 0x7F: what the reader decodes as UTF-8.
bool LooksLikeUtf8(const QByteArray& bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes); // the decoding happens only when the result is taken
    return !utf8.hasError() && !decoded.isNull();
}
} // namespace

QByteArray EncodeText(const QString& text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    const QChar* in = text.constData();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = in[i].unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out[i] = static_cast<char>(u);
            continue;
        }
        const auto* high = std::find(std::begin(kHighControls), std::end(kHighControls), u);
        if (high == std::end(kHighControls)) {
            return text.toUtf8();
        }
        out[i] = static_cast<char>(0x80 + (high - std::begin(kHighControls)));
    }
    // Some 8-bit texts happen to be valid UTF-8 ("ß" followed by a curly quote): the reader
    // would take them as UTF-8, so such a text is written as UTF-8 in the first place.
    if (LooksLikeUtf8(bytes)) {
        return text.toUtf8();
    }
    return bytes;
}

QString DecodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    return DecodeWindows1252(bytes);
}
