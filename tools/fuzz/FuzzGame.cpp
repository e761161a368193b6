#include "FuzzGame.hpp"

#include "console/Console.hpp"
#include "flow/Driver.hpp"
#include "state/GameState.hpp"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <sstream>

namespace zandrel::fuzz {
namespace {

// Thrown where the game would end the process.
struct GameOver {
    int status;
};

// Thrown when the script holds no more chance; it ends the run, it is not a fault.
struct ChanceRanOut {};

// No one is at the terminal: pauses and clears pass at once, and the end of the game
// comes back to the fuzzer instead of ending it.
class QuietPlatform final : public Platform {
public:
    void pause() override {}
    void clearScreen() override {}
    [[noreturn]] void endProcess(int status) override { throw GameOver{status}; }
};

constexpr int maxDrawBytes = 5;

} // namespace

GameScript splitInput(std::span<const std::uint8_t> input) {
    const auto separator = std::find(input.begin(), input.end(), std::uint8_t{0});
    GameScript script;
    script.answers.assign(input.begin(), separator);
    if (separator != input.end()) {
        script.draws = std::span(std::next(separator), input.end());
    }
    return script;
}

int DrawReader::next() {
    if (rest_.empty()) {
        throw ChanceRanOut{};
    }
    std::uint64_t value = 0;
    int shift = 0;
    for (int taken = 0; taken < maxDrawBytes && !rest_.empty(); ++taken) {
        const std::uint8_t byte = rest_.front();
        rest_ = rest_.subspan(1);
        value |= static_cast<std::uint64_t>(byte & 0x7FU) << shift;
        shift += 7;
        if ((byte & 0x80U) == 0) {
            break;
        }
    }
    return static_cast<int>(value % (static_cast<std::uint64_t>(RAND_MAX) + 1));
}

Ending playScript(std::span<const std::uint8_t> input, std::ostream& transcript) {
    GameScript script = splitInput(input);
    std::istringstream answers(std::move(script.answers));
    DrawReader draws(script.draws);
    QuietPlatform platform;
    const SeamsInPlace inPlace(Seams{
        &answers,
        &transcript,
        &transcript,
        [] {},
        [&draws] { return draws.next(); },
        &platform,
    });
    resetGame();
    Ending ending;
    try {
        ending.status = runGame();
    } catch (const GameOver& over) {
        ending.status = over.status;
    } catch (const ChanceRanOut&) {
        ending.status.reset();
    }
    return ending;
}

} // namespace zandrel::fuzz
