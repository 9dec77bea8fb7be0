#include "SimOptions.h"
#include "Simulator.h"
#include "StandardDescriptors.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    quillon::sim::StandardDescriptors::Occupy();
    using quillon::sim::SimOptions;
    SimOptions options;
    std::string error;
    if (!SimOptions::Parse(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "quillon-adapter-sim: %s\n%s", error.c_str(),
                     SimOptions::Usage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(SimOptions::Usage().c_str(), stdout);
        return 0;
    }
    return quillon::sim::Simulator(std::move(options)).Run();
}
