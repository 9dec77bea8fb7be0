#include "AdapterDevice.h"
#include "SimOptions.h"
#include "simkit/LineRunner.h"
#include "simkit/ProgramStart.h"

namespace {
constexpr const char* kProgram = "quillon-adapter-sim";
// A write command of the longest master data, in hex, fits with room to spare.
constexpr std::size_t kMaxCommandLine = 4096;
} // namespace

int main(int argc, char* argv[]) {
    using namespace quillon;
    sim::SimOptions options;
    if (const auto exit = simkit::ProgramStart::Read(kProgram, argc, argv, options.Table(),
                                                     sim::SimOptions::Usage(), options.line.help)) {
        return *exit;
    }
    sim::AdapterDevice device(options);
    return simkit::LineRunner(kProgram, options.line, device, kMaxCommandLine, device.BytePeriod())
        .Run();
}
