#pragma once

namespace quillon::cli {

// Whether the tool was started with its standard output open.
enum class StandardOutput { Open, Closed };

// Puts /dev/null on any of standard input, output and error that the tool was started
// without. Called first thing: otherwise the next file opened (the serial port) would take
// the free number, and results meant for standard output would be written to the adapter.
StandardOutput SecureStandardStreams();

} // namespace quillon::cli
