#pragma once
// The speaking clock's sound seam: what the plug-in plays goes through TztSpeechSound.
// The real one plays with PlaySoundW; tests put a recording double in its place.

#include <windows.h>

#include <memory>
#include <string>

namespace zt {

class TztSpeechSound {
public:
    virtual ~TztSpeechSound() = default;
    // Plays the "WAVE" resource name of module and returns when it has ended; a missing
    // resource plays nothing. Called on the speaking thread.
    virtual void PlayResource(HMODULE module, const wchar_t* name) = 0;
    // Plays the sound file path, returning at once (async) or when it has ended.
    virtual void PlayFile(const std::wstring& path, bool async) = 0;
    // Cuts short what is playing (any thread).
    virtual void Stop() = 0;
};

// The system's sound service (winmm PlaySoundW).
std::shared_ptr<TztSpeechSound> SystemSpeechSound();

} // namespace zt
