// make_sample_root <folder>: writes the sample root folder the program starts on.
#include "data/generator/sample_root.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_sample_root <folder>\n";
        return 2;
    }
    try {
        sample::writeSampleRoot(argv[1]);
    } catch (const std::exception& e) {
        std::cerr << "make_sample_root: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
