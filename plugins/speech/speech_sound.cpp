#include "speech_sound.h"

#include <mmsystem.h>

namespace zt {
namespace {

class TztSystemSound final : public TztSpeechSound {
public:
    void PlayResource(HMODULE module, const wchar_t* name) override {
        // SND_RESOURCE finds type "WAVE" only.
        if (module && ::FindResourceW(module, name, L"WAVE"))
            ::PlaySoundW(name, module, SND_RESOURCE | SND_SYNC | SND_NODEFAULT);
    }
    void PlayFile(const std::wstring& path, bool async) override {
        if (!path.empty())
            ::PlaySoundW(path.c_str(), nullptr,
                         SND_FILENAME | SND_NODEFAULT | (async ? SND_ASYNC : SND_SYNC));
    }
    void Stop() override { ::PlaySoundW(nullptr, nullptr, 0); }
};

} // namespace

std::shared_ptr<TztSpeechSound> SystemSpeechSound() {
    return std::make_shared<TztSystemSound>();
}

} // namespace zt
