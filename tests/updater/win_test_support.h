#pragma once
// Helpers of the update checker's Windows tests: a scratch folder that is removed
// afterwards and file contents.

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/handles.h"

namespace zt::uplift::test {

class ScratchFolder {
public:
    ScratchFolder() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                (L"uplift-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++counter));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::wstring Text() const { return path_.wstring(); }
    // File names directly in the folder, sorted.
    std::vector<std::wstring> Files(const std::filesystem::path& sub = {}) const {
        std::vector<std::wstring> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(path_ / sub, error))
            names.push_back(entry.path().filename().wstring());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

inline std::string ReadFileBytes(const std::filesystem::path& path) {
    std::string bytes;
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    if (!file)
        return bytes;
    char buffer[8192];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

// Distinct bytes, so that a shifted or truncated copy does not compare equal.
inline std::string PatternBody(size_t size, unsigned seed = 1) {
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>((i * 31 + seed * 7 + i / 251) & 0xFF);
    return body;
}

} // namespace zt::uplift::test
