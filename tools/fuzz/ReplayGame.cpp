// Replays fuzz inputs, such as the seed corpus or a crash the fuzzer saved, and prints each
// game's whole text and how it ended. With --marks first, the text also marks each pause,
// screen clear and answer, as a person at a terminal met them.

#include "FuzzGame.hpp"

#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    int first = 1;
    auto marks = zandrel::fuzz::Marks::none;
    if (argc > 1 && std::string_view(argv[1]) == "--marks") {
        marks = zandrel::fuzz::Marks::pausesClearsAndAnswers;
        ++first;
    }
    int failures = 0;
    for (int i = first; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        if (!file) {
            std::cerr << "cannot read " << argv[i] << "\n";
            ++failures;
            continue;
        }
        const std::vector<std::uint8_t> input((std::istreambuf_iterator<char>(file)),
                                              std::istreambuf_iterator<char>());
        std::cout << "==> " << argv[i] << "\n";
        const zandrel::fuzz::Ending ending = zandrel::fuzz::playScript(input, std::cout, marks);
        std::cout << "\n<== "
                  << (ending.status ? "exit status " + std::to_string(*ending.status) : "out of chance")
                  << "\n";
    }
    return failures == 0 ? 0 : 1;
}
