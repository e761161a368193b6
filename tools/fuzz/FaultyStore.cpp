#include "FaultyStore.hpp"

#include "record/Record.hpp"

#include <algorithm>
#include <array>

namespace zandrel::fuzz {
namespace {

bool holdsAGame(const std::string& text) { return record::read(text).state != record::Replay::State::empty; }

} // namespace

const char* nameOf(Fault fault) {
    static constexpr std::array<const char*, 11> names = {
        "none",     "no inode",  "no space",     "too large",   "a write cut short",        "a sync",
        "a rename", "a removal", "an I/O error", "a full disk", "a sync, then every rename"};
    return names.at(static_cast<std::size_t>(fault));
}

void FaultyStore::failAt(Fault fault, std::size_t n, bool fromThenOn) {
    fault_ = fault;
    at_ = n;
    fromThenOn_ = fromThenOn;
    std::fill(calls_.begin(), calls_.end(), 0);
}

std::size_t FaultyStore::callsOf(Fault fault) const { return calls_[static_cast<std::size_t>(fault)]; }

bool FaultyStore::strikes(std::initializer_list<Fault> applying) {
    bool struck = false;
    for (const Fault fault : applying) {
        const std::size_t count = ++calls_[static_cast<std::size_t>(fault)];
        struck = struck || (fault == fault_ && (count == at_ || (fromThenOn_ && count > at_)));
    }
    // A sync that failed leaves a record that must be moved aside, which fails too.
    struck = struck || (fault_ == Fault::syncThenRename && failed &&
                        std::find(applying.begin(), applying.end(), Fault::rename) != applying.end());
    if (struck) {
        failed = true;
        problem_ = std::string("the disk failed: ") + nameOf(fault_);
    }
    return struck;
}

void FaultyStore::crash(bool writesSurvive) {
    if (writesSurvive) {
        return;
    }
    if (record && !record->named) {
        record.reset();
    }
    if (record) {
        record->written = record->durable;
    }
    for (auto& [name, file] : setAside) {
        file.written = file.durable;
    }
    std::erase_if(files, [](const auto& file) { return !file.second.named; });
    for (auto& [name, file] : files) {
        file.written = file.durable;
    }
}

RecordStore::Contents FaultyStore::read(std::size_t limit) {
    if (!alive()) {
        return Contents{};
    }
    if (!record) {
        return {Contents::State::none, {}, {}};
    }
    return {Contents::State::found, record->written.substr(0, limit), {}};
}

bool FaultyStore::cut(std::size_t length) {
    if (!alive()) {
        return false;
    }
    if (strikes({Fault::ioError}) || !record) {
        return false;
    }
    record->written.resize(std::min(length, record->written.size()));
    return true;
}

bool FaultyStore::append(std::string_view text) {
    if (!alive()) {
        return false;
    }
    return write(record, text);
}

bool FaultyStore::write(std::optional<File>& file, std::string_view text) {
    const bool making = !file;
    const bool struck = making ? strikes({Fault::noInode, Fault::noSpace, Fault::tooLarge, Fault::partWrite,
                                          Fault::ioError, Fault::diskFull})
                               : strikes({Fault::noSpace, Fault::partWrite, Fault::ioError, Fault::diskFull});
    if (!struck) {
        if (making) {
            file = File{};
        }
        file->written += text;
        return true;
    }
    if (making && fault_ != Fault::noInode && fault_ != Fault::ioError) {
        file = File{};
    }
    if (fault_ == Fault::tooLarge || fault_ == Fault::partWrite) {
        file->written += text.substr(0, text.size() / 2);
    }
    return false;
}

bool FaultyStore::sync() {
    if (!alive()) {
        return false;
    }
    if (strikes({Fault::sync, Fault::syncThenRename, Fault::ioError}) || !record) {
        return false;
    }
    record->durable = record->written;
    record->named = true;
    return true;
}

RecordStore::Move FaultyStore::moveAside(const std::string& name) { return renameFile("game", name); }

RecordStore::Move FaultyStore::renameFile(const std::string& from, const std::string& to) {
    if (!alive()) {
        return Move::failed;
    }
    if (strikes({Fault::rename, Fault::ioError})) {
        return Move::failed;
    }
    const auto found = files.find(from);
    if (from == "game" ? !record : found == files.end()) {
        return Move::noRecord;
    }
    const bool aside = to.starts_with(setAsidePrefix);
    if (files.contains(to) ||
        std::any_of(setAside.begin(), setAside.end(), [&](const auto& file) { return file.first == to; })) {
        return Move::nameTaken;
    }
    File moved = from == "game" ? *record : found->second;
    moved.named = true;
    if (aside) {
        setAside.emplace_back(to, std::move(moved));
    } else {
        files[to] = std::move(moved);
    }
    if (from == "game") {
        record.reset();
    } else {
        files.erase(found);
    }
    return Move::moved;
}

std::optional<std::vector<std::string>> FaultyStore::namesStartingWith(std::string_view prefix) {
    if (!alive()) {
        return std::nullopt;
    }
    if (strikes({Fault::ioError})) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (const auto& [name, file] : setAside) {
        names.push_back(name);
    }
    for (const auto& [name, file] : files) {
        names.push_back(name);
    }
    std::erase_if(names, [&](const std::string& name) { return !name.starts_with(prefix); });
    std::reverse(names.begin(), names.end()); // in no order the game may count on
    return names;
}

RecordStore::Contents FaultyStore::readFile(const std::string& name, std::size_t limit) {
    if (!alive()) {
        return Contents{};
    }
    const auto found = files.find(name);
    return found == files.end() ? Contents{} : Contents{Contents::State::found, found->second.written.substr(0, limit), {}};
}

bool FaultyStore::appendFile(const std::string& name, std::string_view text) {
    if (!alive()) {
        return false;
    }
    const auto found = files.find(name);
    std::optional<File> file = found == files.end() ? std::nullopt : std::optional(found->second);
    const bool written = write(file, text) && !strikes({Fault::sync, Fault::ioError});
    if (file) {
        file->durable = written ? file->written : file->durable;
        file->named = file->named || written;
        files[name] = *file;
    }
    return written;
}

bool FaultyStore::removeFile(const std::string& name) {
    if (name.starts_with(setAsidePrefix)) {
        return removeSetAside(name);
    }
    if (strikes({Fault::removal, Fault::ioError})) {
        return false;
    }
    const auto found = files.find(name);
    if (found != files.end()) {
        std::size_t finished = 0;
        bool oldest = true;
        for (const auto& [other, file] : files) {
            const bool finishedRecord =
                other.starts_with("finished-") && other.find_first_not_of("0123456789", 9) == std::string::npos;
            finished += finishedRecord ? 1 : 0;
            oldest = oldest && (!finishedRecord || other >= name);
        }
        removed.push_back({name, holdsAGame(found->second.durable), finished, oldest});
        files.erase(found);
    }
    return true;
}

bool FaultyStore::rewriteStart(std::string_view text) {
    if (!alive()) {
        return false;
    }
    if (strikes({Fault::ioError}) || !record) {
        return false;
    }
    const std::size_t over = std::min(text.size(), record->written.size());
    record->written.replace(0, over, text.substr(0, over));
    record->durable = record->written;
    return true;
}

std::optional<std::vector<std::string>> FaultyStore::namesSetAside() { return namesStartingWith(setAsidePrefix); }

bool FaultyStore::removeSetAside(const std::string& name) {
    if (!alive()) {
        return false;
    }
    if (strikes({Fault::removal, Fault::ioError})) {
        return false;
    }
    const auto file =
        std::find_if(setAside.begin(), setAside.end(), [&](const auto& kept) { return kept.first == name; });
    if (file != setAside.end()) {
        removed.push_back({name, holdsAGame(file->second.durable), setAside.size(), file == setAside.begin()});
        setAside.erase(file);
    }
    return true;
}

bool FaultyStore::remove() {
    if (!alive()) {
        return false;
    }
    if (strikes({Fault::removal, Fault::ioError})) {
        return false;
    }
    if (record) {
        removed.push_back({"game", record->named && holdsAGame(record->durable), setAside.size(), false});
        record.reset();
    }
    return true;
}

} // namespace zandrel::fuzz
