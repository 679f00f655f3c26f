// The speaking clock in the real Zentik.exe with real sound: ALSA's default device is the
// "file" plug-in (a configuration of this test, handed to the clock's process through
// ALSA_CONFIG_PATH), so what Wine plays lands in a file. A left click on the clock (bound to
// pm_TalkTime by design) must play exactly the samples of the words for the time of the
// click, taken from Voicepack.szt, while the clock keeps repainting.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "common/handles.h"
#include "speech_words.h"
#include "support/zentik_process.h"

namespace zt::test {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Ombrelt\\Zentik";
constexpr wchar_t kVoice[] = L"" ZT_PROGRAM_DIR L"/Plugins/Voicepack.szt";
constexpr wchar_t kUnixDir[] = L"" ZT_TEST_UNIX_DIR;
constexpr DWORD kSampleRate = 11025;

std::string ReadBytes(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (!file)
        return bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    const UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file &&
           ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) &&
           written == bytes.size();
}

// Every file of the capture: ALSA's file plug-in, told not to truncate, writes each opening
// of the device into a new file: base, then base.0001, base.0002 ...
std::vector<std::wstring> CaptureFiles(const std::wstring& base) {
    std::vector<std::wstring> files;
    for (int index = 0; index < 10000; ++index) {
        wchar_t suffix[8] = {};
        if (index > 0)
            std::swprintf(suffix, 8, L".%04d", index);
        const std::wstring path = base + suffix;
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            break;
        files.push_back(path);
    }
    return files;
}

std::string ReadCapture(const std::wstring& base) {
    std::string bytes;
    for (const std::wstring& file : CaptureFiles(base))
        bytes += ReadBytes(file);
    return bytes;
}

void DeleteCapture(const std::wstring& base) {
    for (const std::wstring& file : CaptureFiles(base))
        ::DeleteFileW(file.c_str());
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end()); // ASCII paths
}

// The samples of the "data" chunk of a RIFF/WAVE image; empty when it has none.
std::string WaveSamples(std::string_view wave) {
    if (wave.size() < 12 || wave.substr(0, 4) != "RIFF" || wave.substr(8, 4) != "WAVE")
        return {};
    size_t at = 12;
    while (at + 8 <= wave.size()) {
        const std::string_view id = wave.substr(at, 4);
        const auto* p = reinterpret_cast<const unsigned char*>(wave.data() + at + 4);
        const size_t size = p[0] | p[1] << 8 | p[2] << 16 | static_cast<size_t>(p[3]) << 24;
        if (id == "data")
            return std::string(wave.substr(at + 8, std::min(size, wave.size() - at - 8)));
        at += 8 + size + (size & 1);
    }
    return {};
}

// The samples each word of the voice plays.
class VoiceSamples {
public:
    explicit VoiceSamples(const std::wstring& path)
        : module_(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    bool Loaded() const { return static_cast<bool>(module_); }
    std::string Word(std::wstring_view word) const {
        const std::wstring name(word);
        HRSRC found = ::FindResourceW(module_.get(), name.c_str(), L"WAVE");
        HGLOBAL data = found ? ::LoadResource(module_.get(), found) : nullptr;
        if (!data)
            return {};
        return WaveSamples(std::string_view(static_cast<const char*>(::LockResource(data)),
                                            ::SizeofResource(module_.get(), found)));
    }
    std::string Phrase(const SYSTEMTIME& t) const {
        std::string samples;
        for (const std::wstring_view word :
             SpeechPhraseFor(t.wDay, t.wMonth, t.wHour, t.wMinute, {}))
            samples += Word(word);
        return samples;
    }

private:
    UniqueModule module_;
};

// A hash of the clock window's pixels on screen.
unsigned long long WindowImage(HWND window) {
    WindowPixels image;
    if (!CaptureWindow(window, image))
        return 0;
    unsigned long long hash = 1469598103934665603ull;
    for (const DWORD pixel : image.pixels)
        hash = (hash ^ pixel) * 1099511628211ull;
    return hash;
}

SYSTEMTIME Now() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return t;
}

TEST(SpeechInTheClock, ALeftClickPlaysTheWordsOfItsTime) {
    const VoiceSamples voice(kVoice);
    if (!voice.Loaded())
        GTEST_SKIP() << "no Voicepack.szt in the build's Plugins folder";
    if (!XdotoolAvailable())
        GTEST_SKIP() << "xdotool is not installed";
    ASSERT_TRUE(ClockWindows().empty()) << "a clock from elsewhere is running";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);

    const SYSTEMTIME march7{2026, 3, 0, 7, 14, 5, 0, 0};
    const std::string reference = voice.Phrase(march7);
    ASSERT_FALSE(reference.empty());
    std::printf("phrase for 14:05 on 7 March: %zu samples, %.2f s\n", reference.size(),
                static_cast<double>(reference.size()) / kSampleRate);

    const std::wstring unixDir = kUnixDir;
    const std::wstring capture = unixDir + L"/speech_capture.raw";
    const std::wstring config = unixDir + L"/speech_asound.conf";
    const std::wstring captureWin = L"Z:" + capture;
    DeleteCapture(captureWin);
    ASSERT_TRUE(WriteBytes(L"Z:" + config, "pcm.null { type null }\n"
                                           "pcm.!default { type file; slave.pcm null; file \"" +
                                               Narrow(capture) +
                                               "\"; format raw; truncate false }\n"));
    // Wine gives a started Windows program the Unix environment of its own process, so the
    // clock is started through the Unix side with ALSA_CONFIG_PATH set.
    const std::wstring exe = ZentikExePath();
    ASSERT_EQ(exe.rfind(L"Z:", 0), 0u) << "the program lies on Wine's drive for the Unix root";
    std::wstring unixExe = exe.substr(2);
    for (wchar_t& c : unixExe)
        c = c == L'\\' ? L'/' : c;
    ZentikProcess starter;
    ASSERT_TRUE(
        starter.Start(L"/unix /usr/bin/env ALSA_CONFIG_PATH=" + config + L" wine " + unixExe,
                      L"C:\\windows\\system32\\start.exe"));
    std::vector<HWND> windows;
    ASSERT_TRUE(WaitUntil(30000, [&] {
        windows = ClockWindows();
        return !windows.empty();
    })) << "the clock did not start";
    const HWND window = windows.front();
    POINT lit{};
    ASSERT_TRUE(WaitUntil(10000, [&] { return SegmentPoint(window, lit); }));

    const SYSTEMTIME before = Now();
    const ULONGLONG clickedAt = ::GetTickCount64();
    ASSERT_TRUE(RunXdotool(L"mousemove " + std::to_wstring(lit.x) + L" " + std::to_wstring(lit.y) +
                           L" sleep 0.2 click 1"));
    // The phrase of the minute of the click, or of the next when it turned meanwhile. Compared
    // without silent samples: a loaded machine lets the sound device run dry between two
    // words, and the device then plays (and the file records) silence.
    const auto voiced = [](std::string samples) {
        samples.erase(std::remove(samples.begin(), samples.end(), '\x80'), samples.end());
        return samples;
    };
    const std::string expected = voiced(voice.Phrase(before));
    SYSTEMTIME later = Now();
    const std::string expectedLater = voiced(voice.Phrase(later));

    // While it speaks: the clock answers at once; how often its image changes is reported.
    std::vector<unsigned long long> images;
    DWORD slowestAnswerMs = 0;
    std::string played;
    const bool complete = WaitUntil(30000, [&] {
        const ULONGLONG asked = ::GetTickCount64();
        DWORD_PTR result = 0;
        if (::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result))
            slowestAnswerMs =
                std::max(slowestAnswerMs, static_cast<DWORD>(::GetTickCount64() - asked));
        const unsigned long long image = WindowImage(window);
        if (images.empty() || images.back() != image)
            images.push_back(image);
        played = voiced(ReadCapture(captureWin));
        return played == expected || played == expectedLater ||
               played.size() >= std::max(expected.size(), expectedLater.size());
    });
    const double tookS = static_cast<double>(::GetTickCount64() - clickedAt) / 1000;
    std::printf(
        "captured %zu voiced bytes in %.2f s after the click; clock answered within %lu ms; "
        "%zu distinct clock images while speaking\n",
        played.size(), tookS, static_cast<unsigned long>(slowestAnswerMs), images.size());
    EXPECT_TRUE(complete) << "captured " << played.size() << " of " << expected.size() << " bytes";
    size_t same = 0;
    while (same < played.size() && same < expected.size() && played[same] == expected[same])
        ++same;
    EXPECT_TRUE(played == expected || played == expectedLater)
        << "captured " << played.size() << " bytes, expected " << expected.size() << "; the first "
        << same << " agree";
    EXPECT_LT(slowestAnswerMs, 1000u) << "the GUI thread was held up while speaking";

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil(15000, [] { return ClockWindows().empty(); }));
    if (!HasFailure())
        DeleteCapture(captureWin); // kept for a look when the test failed
    ::DeleteFileW((L"Z:" + config).c_str());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

} // namespace
} // namespace zt::test
