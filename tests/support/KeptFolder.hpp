#pragma once

// What the tests of the folders a native game is kept in share: a folder of their own, and a game
// played into it through the record layer as a person plays.
#include "FuzzGame.hpp"
#include "host/FolderStore.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace zandrel::testing {

// A folder of the test's own, gone afterwards.
struct TestFolder {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("zandrel-store-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                  "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TestFolder() { std::filesystem::remove_all(path); }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    TestFolder(TestFolder&&) = delete;
    TestFolder& operator=(TestFolder&&) = delete;
    ~TestFolder() { std::filesystem::remove_all(path); }
};

// The files this process has open, where the system tells them (Linux).
inline std::size_t openFiles() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

inline std::string contentsOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// A Knight chosen, then a no at the class question: the answers end at the class menu.
inline std::string playKnightInto(const std::filesystem::path& folder) {
    const std::vector<std::uint8_t> answers = {'k', '\n', 'n', '\n'};
    const std::unique_ptr<RecordStore> store = folderStore(folder);
    std::ostringstream screen;
    EXPECT_EQ(fuzz::playKept(answers, *store, screen).status, 2);
    return screen.str();
}

} // namespace zandrel::testing
