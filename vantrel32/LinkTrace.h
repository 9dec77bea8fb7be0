#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace quillon::link {

// The line trace on standard error, switched on by VANTREL_TRACE=1 in the environment.
// Off, it costs one load per frame and prints nothing.
class LinkTrace {
public:
    // Reads the environment; called whenever a link instance starts.
    static void Configure();
    static bool Enabled();

    // "Vantrel32 12:34:56.789 TX 02 00 01 56 AB"
    static void Frame(const char* direction, const uint8_t* data, std::size_t size);
    static void Note(const QString& text);
    // A note in words for the frames whose bytes say least at a glance (pacing, counters,
    // the not-forwarded count): "RX d: 3 master writes not forwarded in all".
    static void Describe(const char* direction, uint8_t code, const uint8_t* payload,
                         std::size_t size);

    // Unconditional: the only thing the library prints without the trace.
    static void Error(const QString& text);

private:
    static void WriteLine(const QString& text);
};

} // namespace quillon::link
