// The voice libraries: each holds every word the Speech plug-in plays as a "WAVE" resource
// in the built-in format (PCM 8-bit mono 11025 Hz), spoken and trimmed, and winmm plays a
// word straight from the loaded library.

#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "common/handles.h"
#include "common/program_folder.h"
#include "common/utf.h"
#include "speech_words.h"
#include "support/zentik_process.h"

namespace {

constexpr uint32_t kRate = 11025;
constexpr uint8_t kSilence = 0x80; // unsigned 8-bit PCM zero

std::wstring WindowsPath(const wchar_t* path) {
    std::wstring result(path);
    for (wchar_t& c : result)
        if (c == L'/')
            c = L'\\';
    return result;
}

const wchar_t* const kRussian = L"" ZT_VOICEPACK_RU;
const wchar_t* const kEnglish = L"" ZT_VOICEPACK_EN;

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Le32(const uint8_t* p) {
    return Le16(p) | static_cast<uint32_t>(Le16(p + 2)) << 16;
}

struct Wave {
    uint16_t format = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    std::span<const uint8_t> samples;

    double Seconds() const { return static_cast<double>(samples.size()) / kRate; }
};

// A RIFF/WAVE file with its "fmt " and "data" chunks; nullopt with the reason otherwise.
std::optional<Wave> ParseWave(std::span<const uint8_t> bytes, std::string& error) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        error = "no RIFF/WAVE header";
        return std::nullopt;
    }
    if (Le32(bytes.data() + 4) != bytes.size() - 8) {
        error = "RIFF size " + std::to_string(Le32(bytes.data() + 4)) + " for " +
                std::to_string(bytes.size()) + " bytes";
        return std::nullopt;
    }
    Wave wave;
    bool haveFormat = false, haveData = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint8_t* chunk = bytes.data() + at;
        const uint32_t size = Le32(chunk + 4);
        if (size > bytes.size() - at - 8) {
            error = "chunk runs past the end";
            return std::nullopt;
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            wave.format = Le16(chunk + 8);
            wave.channels = Le16(chunk + 10);
            wave.sampleRate = Le32(chunk + 12);
            wave.byteRate = Le32(chunk + 16);
            wave.blockAlign = Le16(chunk + 20);
            wave.bitsPerSample = Le16(chunk + 22);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            wave.samples = bytes.subspan(at + 8, size);
            haveData = true;
        }
        at += 8 + size + (size & 1);
    }
    if (!haveFormat || !haveData) {
        error = haveFormat ? "no data chunk" : "no fmt chunk";
        return std::nullopt;
    }
    return wave;
}

class VoiceLibrary {
public:
    explicit VoiceLibrary(const wchar_t* path)
        : module_(::LoadLibraryW(WindowsPath(path).c_str())) {
        if (module_)
            ::EnumResourceNamesW(module_.get(), L"WAVE", &VoiceLibrary::Collect,
                                 reinterpret_cast<LONG_PTR>(this));
    }

    HMODULE module() const { return module_.get(); }
    const std::map<std::wstring, std::span<const uint8_t>>& words() const { return words_; }

private:
    static BOOL CALLBACK Collect(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR self) {
        if (IS_INTRESOURCE(name))
            return TRUE;
        HRSRC info = ::FindResourceW(module, name, type);
        HGLOBAL data = info ? ::LoadResource(module, info) : nullptr;
        const auto* bytes = data ? static_cast<const uint8_t*>(::LockResource(data)) : nullptr;
        if (bytes)
            reinterpret_cast<VoiceLibrary*>(self)->words_.emplace(
                name, std::span(bytes, ::SizeofResource(module, info)));
        return TRUE;
    }

    zt::UniqueModule module_;
    std::map<std::wstring, std::span<const uint8_t>> words_;
};

class VoiceFile : public testing::TestWithParam<const wchar_t*> {
protected:
    VoiceLibrary voice_{GetParam()};
};

TEST_P(VoiceFile, LoadsAndHoldsExactlyTheSpeechWords) {
    ASSERT_NE(voice_.module(), nullptr) << "LoadLibraryW error " << ::GetLastError();
    std::set<std::wstring> present;
    for (const auto& [name, bytes] : voice_.words())
        present.insert(name);
    const std::set<std::wstring> expected(zt::kSpeechWords.begin(), zt::kSpeechWords.end());
    EXPECT_EQ(expected.size(), 70u);
    EXPECT_EQ(present, expected);
}

TEST_P(VoiceFile, EveryWordIsPcm8BitMono11025Hz) {
    ASSERT_EQ(voice_.words().size(), 70u);
    for (const auto& [name, bytes] : voice_.words()) {
        SCOPED_TRACE(zt::WideToUtf8(name));
        std::string error;
        const std::optional<Wave> wave = ParseWave(bytes, error);
        ASSERT_TRUE(wave) << error;
        EXPECT_EQ(wave->format, WAVE_FORMAT_PCM);
        EXPECT_EQ(wave->channels, 1);
        EXPECT_EQ(wave->sampleRate, kRate);
        EXPECT_EQ(wave->byteRate, kRate);
        EXPECT_EQ(wave->blockAlign, 1);
        EXPECT_EQ(wave->bitsPerSample, 8);
    }
}

// Spoken: loud somewhere, of a word's length, with at most 10 ms of digital silence before
// and after the sound (espeak-ng alone leaves about 40 ms before a word and 330 ms after it).
TEST_P(VoiceFile, WordsAreSpokenAndTrimmed) {
    ASSERT_EQ(voice_.words().size(), 70u);
    for (const auto& [name, bytes] : voice_.words()) {
        if (name == L"EMPTY")
            continue;
        SCOPED_TRACE(zt::WideToUtf8(name));
        std::string error;
        const std::optional<Wave> wave = ParseWave(bytes, error);
        ASSERT_TRUE(wave) << error;
        int peak = 0;
        for (uint8_t sample : wave->samples)
            peak = std::max(peak, std::abs(static_cast<int>(sample) - kSilence));
        EXPECT_GE(peak, 32);
        EXPECT_GT(wave->Seconds(), 0.15);
        EXPECT_LT(wave->Seconds(), 1.5);
        const auto& s = wave->samples;
        size_t lead = 0, trail = 0;
        while (lead < s.size() && s[lead] == kSilence)
            ++lead;
        while (trail < s.size() && s[s.size() - 1 - trail] == kSilence)
            ++trail;
        EXPECT_LE(lead, kRate / 100) << "leading silence";
        EXPECT_LE(trail, kRate / 100) << "trailing silence";
    }
}

TEST_P(VoiceFile, EmptyIsAPauseOfAbout018Seconds) {
    const auto found = voice_.words().find(L"EMPTY");
    ASSERT_NE(found, voice_.words().end());
    std::string error;
    const std::optional<Wave> wave = ParseWave(found->second, error);
    ASSERT_TRUE(wave) << error;
    EXPECT_NEAR(wave->Seconds(), 0.18, 0.005);
    for (uint8_t sample : wave->samples)
        ASSERT_EQ(sample, kSilence);
}

INSTANTIATE_TEST_SUITE_P(Voicepack, VoiceFile, testing::Values(kRussian, kEnglish),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                             return info.param == kRussian ? "Russian" : "English";
                         });

std::vector<uint8_t> Samples(const VoiceLibrary& voice, const std::wstring& name) {
    const auto found = voice.words().find(name);
    if (found == voice.words().end())
        return {};
    std::string error;
    const std::optional<Wave> wave = ParseWave(found->second, error);
    return wave ? std::vector<uint8_t>(wave->samples.begin(), wave->samples.end())
                : std::vector<uint8_t>{};
}

// Each Russian word form has its own recording, and the English file is not the Russian one.
TEST(Voicepack, RussianFormsAreDistinctAndEnglishDiffers) {
    const VoiceLibrary russian(kRussian), english(kEnglish);
    ASSERT_EQ(russian.words().size(), 70u);
    ASSERT_EQ(english.words().size(), 70u);
    std::map<std::vector<uint8_t>, std::wstring> seen;
    for (std::wstring_view word : zt::kSpeechWords) {
        if (word == L"EMPTY")
            continue;
        const std::wstring name(word);
        SCOPED_TRACE(zt::WideToUtf8(name));
        const std::vector<uint8_t> samples = Samples(russian, name);
        const auto [at, added] = seen.emplace(samples, name);
        EXPECT_TRUE(added) << "same recording as " << zt::WideToUtf8(at->second);
        EXPECT_NE(Samples(english, name), samples);
    }
}

// Unix path of a Windows path, through Wine's kernel32; empty elsewhere.
std::string UnixPath(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = toUnix ? toUnix(path.c_str()) : nullptr;
    if (!unix)
        return {};
    std::string result(unix);
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return result;
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
    const zt::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
    std::vector<uint8_t> bytes;
    if (!file)
        return bytes;
    bytes.resize(::GetFileSize(file.get(), nullptr));
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        read = 0;
    bytes.resize(read);
    return bytes;
}

// A folder of its own beside this program (its Unix path has no ':', which would split
// ALSA_CONFIG_PATH), removed with the files named.
class ScratchFolder {
public:
    ScratchFolder() {
        path_ = zt::ProgramFolder() + L"\\voicepack_play_" +
                std::to_wstring(::GetCurrentProcessId()) + L"\\";
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        for (const wchar_t* name : {L"asoundrc", L"played.raw", L"result", L"result.part"})
            ::DeleteFileW((path_ + name).c_str());
        ::RemoveDirectoryW(path_.c_str());
    }
    std::wstring operator/(const wchar_t* name) const { return path_ + name; }

private:
    std::wstring path_;
};

// A helper process plays SEVENTH from the Russian voice with ALSA's default device pointed
// at its file plug-in (a configuration of this test, given to the helper's Wine through
// ALSA_CONFIG_PATH; a Windows child does not pass it on to Unix, so Wine itself is started
// through /usr/bin/env): PlaySoundW returns TRUE and what reached the device is the word's
// samples, byte for byte.
TEST(Voicepack, WinmmPlaysAWordResourceOfTheLoadedLibrary) {
    const ScratchFolder folder;
    const std::wstring config = folder / L"asoundrc", played = folder / L"played.raw",
                       result = folder / L"result";
    const std::wstring program = zt::ProgramFolder() + L"\\voicepack_play_child.exe";
    const std::string unixConfig = UnixPath(config), unixProgram = UnixPath(program);
    if (unixConfig.empty() || unixProgram.empty())
        GTEST_SKIP() << "needs Wine (ALSA's file plug-in records what is played)";
    {
        const std::string text = "pcm.!default { type file; slave.pcm { type null }; file \"" +
                                 UnixPath(played) + "\"; format raw }\n";
        const zt::UniqueFile file(
            ::CreateFileW(config.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written,
                                nullptr));
    }

    std::wstring line = L"start.exe /unix /usr/bin/env ALSA_CONFIG_PATH=" +
                        zt::Utf8ToWide(unixConfig) + L" wine \"" + zt::Utf8ToWide(unixProgram) +
                        L"\" \"" + WindowsPath(kRussian) + L"\" SEVENTH \"" + result + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                 nullptr, nullptr, &startup, &process))
        << "error " << ::GetLastError();
    const zt::UniqueKernelHandle processHandle(process.hProcess);
    const zt::UniqueKernelHandle thread(process.hThread);
    // The Unix side cannot be waited for; the helper's result file says when it is done.
    ASSERT_TRUE(zt::test::WaitUntil(60000, [&] {
        return ::GetFileAttributesW(result.c_str()) != INVALID_FILE_ATTRIBUTES;
    })) << "the helper wrote no result";
    const std::vector<uint8_t> answer = ReadFileBytes(result);
    EXPECT_EQ(std::string(answer.begin(), answer.end()), "TRUE") << "what PlaySoundW returned";

    const VoiceLibrary russian(kRussian);
    const std::vector<uint8_t> expected = Samples(russian, L"SEVENTH");
    ASSERT_FALSE(expected.empty());
    // ALSA may still be writing the last period when the result appears.
    zt::test::WaitUntil(10000, [&] { return ReadFileBytes(played).size() >= expected.size(); });
    EXPECT_EQ(ReadFileBytes(played), expected);
}

} // namespace
