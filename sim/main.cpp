#include "AdapterDevice.h"
#include "SimOptions.h"
#include "simkit/LineRunner.h"

int main(int argc, char* argv[]) {
    using namespace quillon;
    return simkit::LineRunner::Main<sim::SimOptions, sim::AdapterDevice>(argc, argv);
}
