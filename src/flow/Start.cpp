#include "flow/Start.hpp"

#include "console/Console.hpp"
#include "host/Host.hpp"
#include "record/GameList.hpp"
#include "record/KeptGame.hpp"

#include <ostream>
#include <string_view>

namespace zandrel {
namespace {

constexpr std::string_view usage =
    "Usage: zandrel [--new | --games | --replay NUMBER | --replay FILE | --help | --version]\n"
    "Zandrel, a turn-based fantasy adventure in a text console. A game played in a terminal is\n"
    "kept as it is played, and the next start resumes it at the screen it was left at. A game\n"
    "that has ended is kept among your games, to be listed and watched again.\n"
    "  --new            set the unfinished game aside and start a new one\n"
    "  --games          list your finished games, newest first, and exit\n"
    "  --replay NUMBER  show your game of that number again, as it was played, and exit\n"
    "  --replay FILE    show again the game of a record file of any name\n"
    "  --help           show this help and exit\n"
    "  --version        show the version and exit\n";

Command exitAt(int status) {
    Command command;
    command.status = status;
    return command;
}

} // namespace

Command readCommandLine(std::span<char* const> arguments) {
    Command command;
    for (std::size_t at = 1; at < arguments.size(); ++at) {
        const std::string_view argument = arguments[at];
        if (argument == "--new") {
            command.newGame = true;
        } else if (argument == "--games") {
            command.action = Command::Action::games;
        } else if (argument == "--replay" && at + 1 < arguments.size()) {
            command.action = Command::Action::replay;
            command.replay = arguments[++at];
        } else if (argument == "--help") {
            out() << usage;
            return exitAt(0);
        } else if (argument == "--version") {
            out() << "zandrel " ZANDREL_VERSION "\n";
            return exitAt(0);
        } else {
            *seams().err << "zandrel: " << (argument == "--replay" ? "--replay wants a number or a file: " : "unknown argument: ")
                         << argument << "\n"
                         << usage;
            return exitAt(2);
        }
    }
    return command;
}

int startGame(std::span<char* const> arguments) {
    const Command command = readCommandLine(arguments);
    if (command.status) {
        return *command.status;
    }
    const Host here = host();
    switch (command.action) {
    case Command::Action::games:
        return listFinishedGames(*here.keeping.store, here.textOnTerminal);
    case Command::Action::replay:
        return replayFinishedGame(*here.keeping.store, command.replay, here.keeping.keepsGame);
    case Command::Action::play:
        break;
    }
    return playKeptGame(here.keeping, command.newGame);
}

} // namespace zandrel
