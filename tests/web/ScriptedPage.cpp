#include "FuzzGame.hpp"
#include "console/Console.hpp"
#include "flow/Driver.hpp"
#include "flow/Start.hpp"

#include <emscripten.h>

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>
#include <utility>
#include <vector>

// The test page's game: the page's own game, but with its chance drawn from a game script, as
// the scripted and the fuzzed games draw theirs. The test opens the page with the script in
// its address (?script=, base64url) and types the script's answers as a player would; only the
// draws are taken from here. Where the page hands it a store (?keep), the game is kept, and
// listed and replayed, as the shipped page keeps its own.

namespace {

EM_JS(int, scriptLength, (), {
    const text = new URLSearchParams(location.search).get("script") || "";
    const binary = atob(text.replace(/-/g, "+").replace(/_/g, "/"));
    Module["gameScript"] = Uint8Array.from(binary, (c) => c.charCodeAt(0));
    return Module["gameScript"].length;
});

EM_JS(int, pageKeeps, (), { return Module["store"] ? 1 : 0; });

EM_JS(void, takeScript, (std::uint8_t* into), { HEAPU8.set(Module["gameScript"], into); });

} // namespace

int main(int argc, char** argv) {
    std::vector<std::uint8_t> input(static_cast<std::size_t>(scriptLength()));
    takeScript(input.data());
    zandrel::fuzz::DrawReader draws(zandrel::fuzz::splitInput(input).draws);
    zandrel::Seams scripted = zandrel::seams();
    scripted.seedChance = [] {};
    scripted.drawChance = [&draws] {
        if (draws.exhausted()) {
            *zandrel::seams().err << "The game script holds no more chance.\n";
            zandrel::endProcess(3);
        }
        return draws.next();
    };
    const zandrel::SeamsInPlace inPlace(std::move(scripted));
    zandrel::endProcess(pageKeeps() != 0 ? zandrel::startGame(std::span(argv, static_cast<std::size_t>(argc)))
                                          : zandrel::runGame());
}
