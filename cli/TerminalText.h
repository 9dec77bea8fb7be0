#pragma once

#include <QByteArray>
#include <QString>

namespace quillon::cli {

// Text that reaches a terminal from outside the tool: words typed or read from a script, the
// adapter's version text. A control byte in it could retitle or clear the terminal, and a
// token of a megabyte would bury the message that quotes it.
class TerminalText {
public:
    // Tokens longer than this are cut when a message quotes them.
    static constexpr qsizetype kMaxTokenChars = 40;

    // Decodes UTF-8 and keeps each byte that is not part of valid UTF-8 as a lone low
    // surrogate (U+DC80..U+DCFF), so that Escape can still show the byte that was read rather
    // than a replacement character.
    static QString FromBytes(const QByteArray& bytes);

    // The text as it may be printed: every C0 control (newline included), DEL, C1 control
    // (U+0080..U+009F, as its two UTF-8 bytes) and byte that was not valid UTF-8 is shown as
    // \xHH; a backslash is doubled, so that "\x1b" on the terminal always stands for a byte.
    static QString Escape(const QString& text);

    // The text with each byte FromBytes kept as not UTF-8 replaced by U+FFFD, for output that
    // must be valid Unicode: a strict JSON reader refuses a lone surrogate.
    static QString Valid(const QString& text);

    // A token for quoting in a message: whole when short, else its first kMaxTokenChars
    // characters followed by "... (N bytes)".
    static QString Token(const QString& token);
};

} // namespace quillon::cli
