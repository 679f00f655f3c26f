// Helper of the voice tests: plays one word of a voice library the way the Speech plug-in
// does, synchronously from the loaded library's resources, then writes what PlaySoundW
// returned ("TRUE" or "FALSE", "NO LIBRARY" when the library did not load) to the result
// file.
//   voicepack_play_child.exe LIBRARY WORD RESULT
// Exit code 0: PlaySoundW returned TRUE; 1: it returned FALSE; 2: bad arguments or library.

#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <string>

#include "common/handles.h"

int main() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc != 4)
        return 2;
    const std::wstring library = argv[1];
    const std::wstring word = argv[2];
    const std::wstring result = argv[3];
    ::LocalFree(argv);
    const zt::UniqueModule voice(::LoadLibraryW(library.c_str()));
    const bool played =
        voice && ::PlaySoundW(word.c_str(), voice.get(), SND_RESOURCE | SND_SYNC | SND_NODEFAULT);
    const char* text = !voice ? "NO LIBRARY" : played ? "TRUE" : "FALSE";
    // Written under another name and renamed, so that a reader sees it whole or not at all.
    const std::wstring partial = result + L".part";
    {
        const zt::UniqueFile file(
            ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (!file)
            return 2;
        DWORD written = 0;
        ::WriteFile(file.get(), text, static_cast<DWORD>(std::char_traits<char>::length(text)),
                    &written, nullptr);
    }
    ::MoveFileExW(partial.c_str(), result.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!voice)
        return 2;
    return played ? 0 : 1;
}
