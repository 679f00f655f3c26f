// Helper of the store tests: saves the tasks "child 1" ... "child 3" under the key given and
// ends its own process at the save step given, as a crash or a power cut would.
//   scheduler_store_child.exe KEY items|complete
// Exit code 77: it ended at that step; anything else: it did not get there.

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "common/datetime.h"
#include "schedule_store.h"

namespace {

constexpr UINT kDiedAtStep = 77;

} // namespace

int main() {
    using namespace zt;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc != 3)
        return 2;
    const std::wstring key = argv[1];
    const std::wstring stepName = argv[2];
    ::LocalFree(argv);
    TScheduleStore::SaveStep step = TScheduleStore::SaveStep::ItemsWritten;
    if (stepName == L"complete")
        step = TScheduleStore::SaveStep::NewKeyWritten;
    else if (stepName != L"items")
        return 2;

    const DateTime now = EncodeDate(2026, 5, 4) + EncodeTime(12, 0, 0, 0);
    TScheduleList list;
    for (int n = 1; n <= 3; ++n) {
        auto task = std::make_unique<TScheduleItem>();
        task->StartTime = EncodeDate(2026, 1, 1) + EncodeTime(12 + n, 0, 0, 0);
        task->TaskType = sttDaily;
        task->Cmnd = L"child " + std::to_wstring(n);
        list.InsertTask(std::move(task), now);
    }
    TScheduleStore store(key);
    store.OnSaveStep = [step](TScheduleStore::SaveStep reached) {
        if (reached == step)
            ::TerminateProcess(::GetCurrentProcess(), kDiedAtStep);
    };
    store.Save(list);
    return 1;
}
