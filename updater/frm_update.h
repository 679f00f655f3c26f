#pragma once
// TfrmUpdate, the window of the update checker: fetches the update list, shows it with a
// check box per component and downloads the ticked components one after another into
// the download folder, keeping a session log that is written to "update.log" there when
// the window is destroyed.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/handles.h"
#include "common/window_impl.h"
#include "updater/http_grabber.h"
#include "updater/session_log.h"
#include "updater/update_list.h"

namespace zt::uplift {

struct UpdateFormOptions {
    // The module holding the dialog template and the hints.
    HINSTANCE instance = nullptr;
    std::wstring listAddress;
    std::wstring downloadFolder;
    // Opens an address or a folder with the shell's "open" verb; tests replace it.
    std::function<void(HWND owner, const std::wstring& target)> shellOpen;
    // The local time for the log; tests replace it.
    std::function<SYSTEMTIME()> now;
    // Called once the window is gone (the program ends its message loop here).
    std::function<void()> onDestroyed;
};

class TfrmUpdate : private DialogImpl<TfrmUpdate> {
public:
    explicit TfrmUpdate(UpdateFormOptions options);
    ~TfrmUpdate();
    TfrmUpdate(const TfrmUpdate&) = delete;
    TfrmUpdate& operator=(const TfrmUpdate&) = delete;

    // Creates and shows the window; false when the dialog could not be created.
    bool Create(int showCommand);
    HWND Handle() const { return Window(); }

    // The window's client height before the list is shown.
    static constexpr int kCompactClientHeight = 75;

private:
    friend class DialogImpl<TfrmUpdate>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnFinalMessage();

    void FormCreate();
    void FormDestroy();
    void btnCheckClick();
    void btnLoadClick();
    void btnCancelClick();
    void btnOpenDirClick();
    void LVDblClick(int row);
    void HttpGrbProgress(uint64_t received, uint64_t total);
    void HttpGrbDoneStream(std::string data);
    void HttpGrbDoneFile(const std::wstring& fileName);
    void HttpGrbError(const std::wstring& message);
    void DownloadStep();

    void SetupListView();
    void SetupHints();
    void FillListView();
    void SetStatus(const std::wstring& text);
    void SetControlsEnabled(bool enabled);
    void ResetBar();
    void SetWindowHeight(int height);
    void SetClientHeight(int height);
    void Layout();
    int Scale(int pixels) const;
    std::wstring TimeText() const;

    UpdateFormOptions options_;
    UniqueWindow tooltip_;
    HWND btnCheck = nullptr;
    HWND btnCancel = nullptr;
    HWND btnLoad = nullptr;
    HWND btnOpenDir = nullptr;
    HWND lblStatus = nullptr;
    HWND PrBar = nullptr;
    HWND LV = nullptr;
    THttpGrabber HttpGrb;

    std::vector<std::wstring> list_;
    std::vector<UpdateItem> items_;
    SessionLog log_;
    std::wstring currentAddress_;
    bool checking_ = false;
    uint64_t barDivisor_ = 1;
};

} // namespace zt::uplift
