#pragma once
// TFConfig: the speaking clock's page in the options dialog (component "FConfig"), a
// DS_CONTROL child dialog. Every change goes into the plug-in's settings at once and is
// spoken by the next phrase; the plug-in restores or saves them when the dialog closes.
// GUI thread only.

#include <windows.h>

#include <functional>
#include <string>

#include "common/window_impl.h"

namespace zt {

class TztPlgSpeech;

class TFConfig final : public DialogImpl<TFConfig> {
public:
    using TextSource = std::function<std::wstring(const std::wstring& key)>;

    TFConfig(TztPlgSpeech& plugin, TextSource text);
    ~TFConfig();

    // Creates the hidden page in parent with its captions translated and its controls
    // showing the plug-in's settings; false on failure.
    bool Create(HWND parent);

private:
    friend class DialogImpl<TFConfig>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void InitPage();
    void OnCommand(int id, int code);
    void EnableDependents();
    void FillVoices();
    // Lists the ".wav" files of folder in the chime box and shows name.
    void FillChimes(const std::wstring& folder, const std::wstring& name);
    void ChimeEdited(bool fromList);
    void ChooseChimeFile();

    TztPlgSpeech& plugin_;
    TextSource text_;
    std::wstring chimeFolder_; // the folder listed in the chime box, no trailing backslash
};

} // namespace zt
