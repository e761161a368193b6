#include "record/Archive.hpp"

#include "record/Record.hpp"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string_view>
#include <utility>

namespace zandrel::archive {
namespace {

// A name's place in the order records were set aside: the number after the prefix, as in
// game-set-aside-0007-20261206T140300Z. Names of 2.1.0 (game-set-aside-20261206T140300Z-01)
// carry none and come first, among themselves in the order of their names.
long placeOf(std::string_view name) {
    name.remove_prefix(std::min(name.size(), setAsidePrefix.size()));
    const std::size_t digits = std::min(name.find_first_not_of("0123456789"), name.size());
    if (digits == 0 || digits > 9 || name.substr(digits, 1) != "-") {
        return 0;
    }
    return std::stol(std::string(name.substr(0, digits)));
}

std::string setAsideName(long place, std::time_t when) {
    char stamp[32] = "";
    if (const std::tm* utc = std::gmtime(&when)) {
        std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", utc);
    }
    char name[64];
    std::snprintf(name, sizeof name, "%s%04ld-%s", std::string(setAsidePrefix).c_str(), place, stamp);
    return name;
}

} // namespace

void sortSetAside(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), [](const std::string& one, const std::string& other) {
        return std::pair(placeOf(one), std::string_view(one)) < std::pair(placeOf(other), std::string_view(other));
    });
}

SetAside setAside(RecordStore& store) {
    std::optional<std::vector<std::string>> listed = store.namesSetAside();
    if (!listed) {
        return {RecordStore::Move::failed, {}}; // where it would go in their order is not known
    }
    std::vector<std::string>& names = *listed;
    sortSetAside(names);
    const long last = names.empty() ? 0 : placeOf(names.back());
    SetAside aside{RecordStore::Move::nameTaken, {}};
    std::string name;
    // A name can be taken only by a file put there by hand: the next place is tried then.
    for (long place = last + 1; place <= last + 3 && aside.outcome == RecordStore::Move::nameTaken; ++place) {
        name = setAsideName(place, std::time(nullptr));
        aside.outcome = store.moveAside(name);
    }
    if (aside.outcome != RecordStore::Move::moved) {
        return aside;
    }
    aside.where = store.whereIs(name);
    names.push_back(name);
    for (std::size_t oldest = 0; oldest + keptAside < names.size(); ++oldest) {
        store.removeSetAside(names[oldest]); // one that cannot go now goes at a later start
    }
    return aside;
}

Unresumable makeUnresumable(RecordStore& store, bool holdsAGame) {
    if (!holdsAGame && store.remove()) {
        return {Unresumable::Way::gone, {}};
    }
    SetAside aside = setAside(store);
    if (aside.outcome == RecordStore::Move::moved) {
        return {Unresumable::Way::setAside, std::move(aside.where)};
    }
    if (aside.outcome == RecordStore::Move::noRecord) {
        return {Unresumable::Way::gone, {}};
    }
    if (store.rewriteStart(record::stoppedFormatLine)) {
        return {Unresumable::Way::marked, {}};
    }
    return {Unresumable::Way::failed, {}};
}

} // namespace zandrel::archive
