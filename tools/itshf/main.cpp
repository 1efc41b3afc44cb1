// itshf-standin: the stand-in for the ITS HF propagation programs.  See
// Standin.h for the command line and the switches, SkyModel.cpp for the model.

#include "Standin.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return tw::itshf::RunStandin(tw::itshf::ExecutablePath(argc > 0 ? argv[0] : nullptr), arguments,
                                 tw::itshf::ProcessEnvironment(), std::cerr);
}
