#include "record/RecordStore.hpp"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace zandrel {

RecordStore::Contents RecordStore::readRecordFile(const std::string& path, std::size_t limit) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return {};
    }
    std::ifstream file(path, std::ios::binary);
    std::string text(limit, '\0'); // no more than any record holds
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    return {Contents::State::found, std::move(text), {}};
}

} // namespace zandrel
