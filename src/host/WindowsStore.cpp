// The record in the player's local application data on Windows (%LOCALAPPDATA%\Zandrel). The lock
// is a byte range of its own file, held with LockFileEx, which Windows releases when the game ends
// however it ends, and which no one can delete while a game holds it open; renaming never replaces
// a file that is there already.
#include "host/FolderStore.hpp"

#include <cstdlib>
#include <string>
#include <system_error>

#include <windows.h>

namespace zandrel {
namespace {

constexpr wchar_t recordName[] = L"game";
constexpr wchar_t lockName[] = L"lock";
// The lock is taken on one byte far beyond the process id written at the start of the file, so
// that a second game can still read who holds it.
constexpr DWORD lockedByte = 0x40000000;

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

class WindowsStore final : public RecordStore {
public:
    explicit WindowsStore(std::filesystem::path folder) : folder_(std::move(folder)) {}
    WindowsStore(const WindowsStore&) = delete;
    WindowsStore& operator=(const WindowsStore&) = delete;
    WindowsStore(WindowsStore&&) = delete;
    WindowsStore& operator=(WindowsStore&&) = delete;
    ~WindowsStore() override {
        closeRecord();
        unlock();
    }

    Lock lock() override {
        if (folder_.empty()) {
            return {Lock::State::unusable, "there is no local application data folder to keep it in"};
        }
        if (lock_ != INVALID_HANDLE_VALUE) {
            return {Lock::State::taken, {}};
        }
        std::error_code error;
        std::filesystem::create_directories(folder_, error);
        if (error) {
            return {Lock::State::unusable, utf8(folder_) + ": " + error.message()};
        }
        lock_ = open(lockName, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
        if (lock_ == INVALID_HANDLE_VALUE) {
            return {Lock::State::unusable, problem_};
        }
        OVERLAPPED at{};
        at.Offset = lockedByte;
        if (LockFileEx(lock_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) == 0) {
            if (GetLastError() != ERROR_LOCK_VIOLATION) {
                fail(lockName);
                return {Lock::State::unusable, problem_};
            }
            char holder[24] = "";
            DWORD got = 0;
            ReadFile(lock_, holder, sizeof holder - 1, &got, nullptr);
            return {Lock::State::heldElsewhere, std::string(holder, got)};
        }
        const std::string me = std::to_string(GetCurrentProcessId());
        DWORD wrote = 0;
        SetEndOfFile(lock_);
        WriteFile(lock_, me.data(), static_cast<DWORD>(me.size()), &wrote, nullptr);
        return {Lock::State::taken, {}};
    }

    void unlock() override {
        if (lock_ != INVALID_HANDLE_VALUE) {
            CloseHandle(lock_);
            lock_ = INVALID_HANDLE_VALUE;
        }
    }

    Contents read(std::size_t limit) override { return readFile(utf8(recordName), limit); }

    Contents readFile(const std::string& name, std::size_t limit) override {
        const HANDLE file = open(name, GENERIC_READ, OPEN_EXISTING);
        if (file == INVALID_HANDLE_VALUE) {
            return GetLastError() == ERROR_FILE_NOT_FOUND ? Contents{Contents::State::none, {}, {}}
                                                           : Contents{Contents::State::unreadable, {}, problem_};
        }
        Contents contents{Contents::State::found, {}, {}};
        char chunk[8192];
        while (contents.text.size() < limit) {
            DWORD got = 0;
            const auto wanted = static_cast<DWORD>(std::min(sizeof chunk, limit - contents.text.size()));
            if (ReadFile(file, chunk, wanted, &got, nullptr) == 0) {
                fail(name);
                contents = {Contents::State::unreadable, {}, problem_};
            }
            if (got == 0) {
                break;
            }
            contents.text.append(chunk, got);
        }
        CloseHandle(file);
        return contents;
    }

    bool cut(std::size_t length) override {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(length);
        return openForWriting() &&
               ((SetFilePointerEx(record_, at, nullptr, FILE_BEGIN) != 0 && SetEndOfFile(record_) != 0) ||
                fail(recordName));
    }

    bool append(std::string_view text) override {
        if (!openForWriting() || SetFilePointerEx(record_, {}, nullptr, FILE_END) == 0) {
            return fail(recordName);
        }
        return writeAll(record_, text, recordName);
    }

    bool appendFile(const std::string& name, std::string_view text) override {
        const HANDLE file = open(name, GENERIC_WRITE, OPEN_ALWAYS);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        const bool written = (SetFilePointerEx(file, {}, nullptr, FILE_END) != 0 || fail(name)) &&
                             writeAll(file, text, name) && (FlushFileBuffers(file) != 0 || fail(name));
        CloseHandle(file);
        return written;
    }

    bool sync() override {
        return (record_ != INVALID_HANDLE_VALUE && FlushFileBuffers(record_) != 0) || fail(recordName);
    }

    std::string lastProblem() const override { return problem_; }

    Move moveAside(const std::string& name) override { return renameFile(utf8(recordName), name); }

    Move renameFile(const std::string& from, const std::string& to) override {
        closeRecord();
        if (MoveFileExW((folder_ / path(from)).c_str(), (folder_ / path(to)).c_str(), MOVEFILE_WRITE_THROUGH) != 0) {
            return Move::moved;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            return Move::noRecord;
        }
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
            return Move::nameTaken;
        }
        fail(path(from));
        return Move::failed;
    }

    bool rewriteStart(std::string_view text) override {
        closeRecord();
        const HANDLE file = open(recordName, GENERIC_WRITE, OPEN_EXISTING);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        LARGE_INTEGER size{};
        DWORD wrote = 0;
        bool written = GetFileSizeEx(file, &size) != 0;
        const auto over = static_cast<DWORD>(std::min<LONGLONG>(static_cast<LONGLONG>(text.size()), size.QuadPart));
        written = written && WriteFile(file, text.data(), over, &wrote, nullptr) != 0 && wrote == over &&
                  FlushFileBuffers(file) != 0;
        if (!written) {
            fail(recordName);
        }
        CloseHandle(file);
        return written;
    }

    std::optional<std::vector<std::string>> namesSetAside() override { return namesStartingWith(setAsidePrefix); }

    std::optional<std::vector<std::string>> namesStartingWith(std::string_view prefix) override {
        std::vector<std::string> names;
        std::error_code error;
        for (std::filesystem::directory_iterator entry(folder_, error), end; !error && entry != end;
             entry.increment(error)) {
            const std::string name = utf8(entry->path().filename());
            if (name.starts_with(prefix)) {
                names.push_back(name);
            }
        }
        if (error) {
            problem_ = utf8(folder_) + ": " + error.message();
            return std::nullopt;
        }
        return names;
    }

    bool removeSetAside(const std::string& name) override { return removeFile(name); }

    bool remove() override {
        closeRecord();
        return removeFile(utf8(recordName));
    }

    bool removeFile(const std::string& name) override {
        return DeleteFileW((folder_ / path(name)).c_str()) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND ||
               fail(path(name));
    }

    bool keepsFinishedGames() const override { return true; }

    std::string whereIs(const std::string& name) const override { return utf8(folder_ / path(name)); }

private:
    // The names the game gives files are plain ASCII.
    static std::filesystem::path path(const std::string& name) { return std::filesystem::path(name); }

    bool writeAll(HANDLE file, std::string_view text, const std::filesystem::path& name) {
        while (!text.empty()) {
            DWORD wrote = 0;
            if (WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr) == 0 || wrote == 0) {
                return fail(name);
            }
            text.remove_prefix(wrote);
        }
        return true;
    }

    // Opens a file of the folder, which must be a file on disk (not a device or a pipe). None of
    // them may be deleted while the game has it open: least of all the lock.
    HANDLE open(const std::filesystem::path& name, DWORD access, DWORD how) {
        const DWORD shared = FILE_SHARE_READ | FILE_SHARE_WRITE;
        const HANDLE file =
            CreateFileW((folder_ / name).c_str(), access, shared, nullptr, how, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            fail(name);
        } else if (GetFileType(file) != FILE_TYPE_DISK) {
            CloseHandle(file);
            problem_ = whereIs(utf8(name)) + ": not a file";
            SetLastError(ERROR_INVALID_FUNCTION);
            return INVALID_HANDLE_VALUE;
        }
        return file;
    }

    bool openForWriting() {
        if (record_ == INVALID_HANDLE_VALUE) {
            record_ = open(recordName, GENERIC_WRITE, OPEN_ALWAYS);
        }
        return record_ != INVALID_HANDLE_VALUE;
    }

    void closeRecord() {
        if (record_ != INVALID_HANDLE_VALUE) {
            CloseHandle(record_);
            record_ = INVALID_HANDLE_VALUE;
        }
    }

    // What went wrong, as the player is told; always false.
    bool fail(const std::filesystem::path& name) {
        const DWORD error = GetLastError();
        problem_ = whereIs(utf8(name)) + ": " + std::system_category().message(static_cast<int>(error));
        SetLastError(error);
        return false;
    }

    std::filesystem::path folder_;
    std::string problem_;
    HANDLE lock_ = INVALID_HANDLE_VALUE;
    HANDLE record_ = INVALID_HANDLE_VALUE;
};

} // namespace

std::unique_ptr<RecordStore> folderStore(const std::filesystem::path& folder) {
    return std::make_unique<WindowsStore>(folder);
}

std::filesystem::path keptGameFolder() {
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    const std::filesystem::path folder = local != nullptr ? local : L"";
    return folder.is_absolute() ? folder / L"Zandrel" : std::filesystem::path();
}

} // namespace zandrel
