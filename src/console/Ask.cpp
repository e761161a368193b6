#include "console/Ask.hpp"

#include "console/Console.hpp"
#include "state/GameState.hpp"

#include <algorithm>
#include <cctype>
#include <ostream>

namespace zandrel {

std::string askYesNo(std::string_view question) {
    for (;;) {
        out() << question << "\nValid Commands: [Y]es, [N]o\nWhat is your response: ";
        const std::string line = readLine();
        const char first = line.empty() ? '\0' : line.front();
        if (first == 'y' || first == 'Y') {
            return "Y";
        }
        if (first == 'n' || first == 'N') {
            return "N";
        }
    }
}

bool answeredYes(std::string_view question) {
    game.answerText = askYesNo(question);
    return game.answerText == "Y";
}

void readMenuLetter(std::string_view ownLetters) {
    const std::string line = readLine();
    game.choiceLetter.fill('\0');
    std::copy(line.begin(), line.end(), game.choiceLetter.begin());
    char first = game.choiceLetter.front();
    if (ownLetters.find(first) != std::string_view::npos) {
        first = static_cast<char>(std::toupper(static_cast<unsigned char>(first)));
        game.choiceLetter.front() = first;
    }
    game.classLetter = first;
}

} // namespace zandrel
