#include "flow/Start.hpp"

#include "console/Console.hpp"
#include "host/Host.hpp"
#include "record/KeptGame.hpp"

#include <ostream>
#include <string_view>

namespace zandrel {
namespace {

constexpr std::string_view usage =
    "Usage: zandrel [--new | --help | --version]\n"
    "Zandrel, a turn-based fantasy adventure in a text console. A game played in a terminal is\n"
    "kept as it is played, and the next start resumes it at the screen it was left at.\n"
    "  --new      set the unfinished game aside and start a new one\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n";

} // namespace

Command readCommandLine(std::span<char* const> arguments) {
    Command command;
    for (const std::string_view argument : arguments.subspan(arguments.empty() ? 0 : 1)) {
        if (argument == "--new") {
            command.newGame = true;
        } else if (argument == "--help") {
            out() << usage;
            return {false, 0};
        } else if (argument == "--version") {
            out() << "zandrel " ZANDREL_VERSION "\n";
            return {false, 0};
        } else {
            *seams().err << "zandrel: unknown argument: " << argument << "\n" << usage;
            return {false, 2};
        }
    }
    return command;
}

int startGame(std::span<char* const> arguments) {
    const Command command = readCommandLine(arguments);
    return command.status ? *command.status : playKeptGame(host().keeping, command.newGame);
}

} // namespace zandrel
