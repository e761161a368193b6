// Replays fuzz inputs, such as the seed corpus or a crash the fuzzer saved, and prints each
// game's whole text and how it ended.

#include "FuzzGame.hpp"

#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        if (!file) {
            std::cerr << "cannot read " << argv[i] << "\n";
            ++failures;
            continue;
        }
        const std::vector<std::uint8_t> input((std::istreambuf_iterator<char>(file)),
                                              std::istreambuf_iterator<char>());
        std::cout << "==> " << argv[i] << "\n";
        const zandrel::fuzz::Ending ending = zandrel::fuzz::playScript(input, std::cout);
        std::cout << "\n<== "
                  << (ending.status ? "exit status " + std::to_string(*ending.status) : "out of chance")
                  << "\n";
    }
    return failures == 0 ? 0 : 1;
}
