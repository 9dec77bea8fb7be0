#include "TerminalText.h"

#include <QStringDecoder>

#include <algorithm>

namespace quillon::cli {

namespace {

// Where FromBytes puts a byte that was not valid UTF-8 (the "surrogateescape" convention).
constexpr char16_t kRawByteBase = 0xDC00;
constexpr char16_t kRawByteFirst = 0xDC80;
constexpr char16_t kRawByteLast = 0xDCFF;
constexpr char16_t kLastC0 = 0x1F;
constexpr char16_t kDelete = 0x7F;
constexpr char16_t kFirstC1 = 0x80;
constexpr char16_t kLastC1 = 0x9F;
constexpr char16_t kReplacement = 0xFFFD;
// Below these a character takes one or two bytes in UTF-8, otherwise three (or four as a pair).
constexpr char16_t kOneUtf8Byte = 0x80;
constexpr char16_t kTwoUtf8Bytes = 0x800;
constexpr qsizetype kPairUtf8Bytes = 4;
constexpr qsizetype kMaxUtf8Sequence = 4;
// A byte order mark at the start of the text is dropped, as QString::fromUtf8 does; a
// sequence checked on its own is always at a start, so it keeps one as a character.
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool IsRawByte(char16_t unit) {
    return unit >= kRawByteFirst && unit <= kRawByteLast;
}

void AppendByte(QString& text, uint byte) {
    text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
}

// The length of the valid UTF-8 sequence at the start of bytes, or 0 when it is not one; its
// character is appended to text.
qsizetype TakeSequence(const char* bytes, qsizetype size, QString& text) {
    const QByteArray piece = QByteArray::fromRawData(bytes, std::min(size, kMaxUtf8Sequence));
    for (qsizetype length = 1; length <= piece.size(); ++length) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                         QStringDecoder::Flag::ConvertInitialBom);
        const QString decoded = decoder.decode(piece.first(length));
        if (!decoder.hasError() && !decoded.isEmpty()) {
            text += decoded;
            return length;
        }
    }
    return 0;
}

} // namespace

QString TerminalText::FromBytes(const QByteArray& bytes) {
    // The common case, valid UTF-8, in one call.
    QStringDecoder whole(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = whole.decode(bytes);
    if (!whole.hasError()) {
        return text;
    }
    text.clear();
    qsizetype at = bytes.startsWith(kByteOrderMark) ? qsizetype(sizeof kByteOrderMark - 1) : 0;
    while (at < bytes.size()) {
        const qsizetype length = TakeSequence(bytes.constData() + at, bytes.size() - at, text);
        if (length == 0) {
            text += QChar(char16_t(kRawByteBase + uchar(bytes.at(at))));
            ++at;
        } else {
            at += length;
        }
    }
    return text;
}

QString TerminalText::Escape(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit <= kLastC0 || unit == kDelete) {
            AppendByte(shown, unit);
        } else if (unit >= kFirstC1 && unit <= kLastC1) {
            const QByteArray utf8 = QString(QChar(unit)).toUtf8();
            for (char byte : utf8) {
                AppendByte(shown, uchar(byte));
            }
        } else if (IsRawByte(unit)) {
            AppendByte(shown, unit - kRawByteBase);
        } else if (unit == u'\\') {
            shown += QStringLiteral("\\\\");
        } else if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
                   text.at(i + 1).isLowSurrogate()) {
            shown += text.at(i);
            shown += text.at(++i);
        } else if (QChar::isSurrogate(unit)) {
            // Half of a pair cannot be printed; the terminal would show garbage.
            shown += QChar(kReplacement);
        } else {
            shown += text.at(i);
        }
    }
    return shown;
}

QString TerminalText::Valid(const QString& text) {
    QString valid = text;
    for (QChar& c : valid) {
        if (IsRawByte(c.unicode())) {
            c = QChar(kReplacement);
        }
    }
    return valid;
}

QString TerminalText::Token(const QString& token) {
    if (token.size() <= kMaxTokenChars) {
        return token;
    }
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < token.size(); ++i) {
        const char16_t unit = token.at(i).unicode();
        if (IsRawByte(unit) || unit < kOneUtf8Byte) {
            bytes += 1;
        } else if (unit < kTwoUtf8Bytes) {
            bytes += 2;
        } else if (QChar::isHighSurrogate(unit) && i + 1 < token.size() &&
                   token.at(i + 1).isLowSurrogate()) {
            bytes += kPairUtf8Bytes;
            ++i;
        } else {
            bytes += 3;
        }
    }
    qsizetype keep = kMaxTokenChars;
    // A pair cut in half would show as a replacement character.
    if (token.at(keep - 1).isHighSurrogate()) {
        --keep;
    }
    return QStringLiteral("%1... (%2 bytes)").arg(token.first(keep)).arg(bytes);
}

} // namespace quillon::cli
