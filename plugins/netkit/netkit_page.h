#pragma once
// TFConfig: the Netkit plug-in's page in the options dialog (component "FConfig"), a
// DS_CONTROL child dialog. It holds the page's record and server list: loaded when it is
// made (Create fails when "HostList.txt" cannot be read), changed live by the controls,
// written by Save (the dialog's OK) and read again by Restore (Cancel).
//
// Controls: the server box cbHostList (its list is the server list), cbCheckNext, the
// status label LSynchStatus, btnSynch (a run with the page's record), btnAddSch (a new
// Scheduler task for "NU_Synchronize"; enabled only while "Scheduler.pzt" is loaded), bDef
// (defaults) and btnAdv, which shows the list-editing panel pnlEditHL: the memo mHL, the
// timeout box edtTimeOut and btnOkHL, which takes both. GUI thread only.

#include <windows.h>

#include <string>
#include <vector>

#include "common/window_impl.h"
#include "synchronizator.h"

namespace zt {

class TztPlgNetkit;

class TFConfig final : public DialogImpl<TFConfig> {
public:
    explicit TFConfig(TztPlgNetkit& plugin);
    ~TFConfig();

    // Loads the record and the server list and creates the hidden page in parent showing
    // them; false when the list cannot be read or the window cannot be made.
    bool Create(HWND parent);

    const TSynchronizator& Record() const noexcept { return record_; }
    const std::vector<std::wstring>& HostList() const noexcept { return hostList_; }

    // btnSynch: a run with the page's record; the status shown and the results stored.
    void SynchronizeNow();
    // OK: all seven values to the registry, the server list to "HostList.txt".
    void Save();
    // Cancel: the server list and the record read again, and shown.
    void Restore();

private:
    friend class DialogImpl<TFConfig>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void InitPage();
    void OnCommand(int id, int code);
    void ShowRecord();
    void FillHostList();
    void ShowEditPanel(bool show);
    void AcceptEditPanel();
    void AddSchedulerTask();

    TztPlgNetkit& plugin_;
    TSynchronizator record_;
    std::vector<std::wstring> hostList_;
};

} // namespace zt
