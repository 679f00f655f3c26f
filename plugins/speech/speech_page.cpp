#include "speech_page.h"

#include <commdlg.h>

#include <iterator>
#include <span>
#include <utility>
#include <vector>

#include "common/component_name.h"
#include "common/control_texts.h"
#include "common/handles.h"
#include "common/module_window_class.h"
#include "common/window_text.h"
#include "speech_page_resource.h"
#include "speech_plugin.h"

namespace zt {
namespace {

// The captioned controls first.
constexpr TztControlName kControls[] = {
    {IDC_L1, L"l1"},
    {IDC_TEST, L"btnTest"},
    {IDC_EVERY_HOUR, L"CBoxEveryHour"},
    {IDC_TODAY, L"CBoxToday"},
    {IDC_TIME, L"CBoxTime"},
    {IDC_HOUR, L"CBoxHour"},
    {IDC_MINUTE, L"CBoxMinute"},
    {IDC_DATE, L"CBoxDate"},
    {IDC_MONTH, L"CBoxMonth"},
    {IDC_GBSPEAK, L"GBSpeak"},
    {IDC_CHIME, L"cbEveryHour"},
    {IDC_VOICES, L"edtPlName"},
    {IDC_CHIME_FILE, L"cbEveryHourPlay"},
    {IDC_CHIME_OPEN, L"btnEveryHourOpen"},
    {IDC_CHIME_PLAY, L"btnEveryHourPlay"},
};
constexpr std::span<const TztControlName> kCaptioned = std::span(kControls).first(11);

constexpr int kPageWidth = 335;
constexpr int kPageHeight = 256;

// The names of the files of folder matching mask.
std::vector<std::wstring> FilesOf(const std::wstring& folder, const wchar_t* mask) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    const UniqueFind find(::FindFirstFileW((folder + L"\\" + mask).c_str(), &data));
    if (!find)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.emplace_back(data.cFileName);
    } while (::FindNextFileW(find.get(), &data));
    return names;
}

void SplitPath(const std::wstring& path, std::wstring& folder, std::wstring& name) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        folder.clear();
        name = path;
    } else {
        folder = path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

bool Checked(HWND page, int id) {
    return ::IsDlgButtonChecked(page, id) == BST_CHECKED;
}

} // namespace

TFConfig::TFConfig(TztPlgSpeech& plugin, TextSource text)
    : plugin_(plugin), text_(std::move(text)) {}

TFConfig::~TFConfig() {
    DestroyWindowNow();
}

bool TFConfig::Create(HWND parent) {
    if (!CreateModeless(CurrentModule(), IDD_SPEECH_PAGE, parent))
        return false;
    SetComponentName(Window(), L"FConfig");
    ::SetWindowPos(Window(), nullptr, 0, 0, kPageWidth, kPageHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

INT_PTR TFConfig::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        InitPage();
        return FALSE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

void TFConfig::InitPage() {
    HWND page = Window();
    NameControls(page, kControls);
    if (text_)
        TranslateControls(page, kCaptioned, text_);
    const SpeechSettings& settings = plugin_.Settings();
    const std::pair<int, bool> switches[] = {
        {IDC_TODAY, settings.say.today},      {IDC_DATE, settings.say.date},
        {IDC_MONTH, settings.say.month},      {IDC_TIME, settings.say.time},
        {IDC_HOUR, settings.say.hour},        {IDC_MINUTE, settings.say.minute},
        {IDC_EVERY_HOUR, settings.everyHour}, {IDC_CHIME, settings.everyHourPlay},
    };
    for (const auto& [id, on] : switches)
        ::CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED);
    std::wstring folder, name;
    SplitPath(settings.chimeFile, folder, name);
    FillChimes(folder, name);
    FillVoices();
    EnableDependents();
}

void TFConfig::FillVoices() {
    HWND list = ::GetDlgItem(Window(), IDC_VOICES);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& name : FilesOf(plugin_.Platform().folder, L"*.szt"))
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    const std::wstring& voice = plugin_.Settings().voice;
    const LRESULT index = voice.empty()
                              ? LB_ERR
                              : ::SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>(voice.c_str()));
    ::SendMessageW(list, LB_SETCURSEL, index == LB_ERR ? static_cast<WPARAM>(-1) : index, 0);
}

void TFConfig::FillChimes(const std::wstring& folder, const std::wstring& name) {
    chimeFolder_ = folder;
    HWND box = ::GetDlgItem(Window(), IDC_CHIME_FILE);
    ::SendMessageW(box, CB_RESETCONTENT, 0, 0);
    if (!folder.empty()) {
        for (const std::wstring& file : FilesOf(folder, L"*.wav"))
            ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(file.c_str()));
    }
    ::SetWindowTextW(box, name.c_str());
}

void TFConfig::EnableDependents() {
    HWND page = Window();
    const bool time = Checked(page, IDC_TIME);
    ::EnableWindow(::GetDlgItem(page, IDC_HOUR), time);
    ::EnableWindow(::GetDlgItem(page, IDC_MINUTE), time);
    ::EnableWindow(::GetDlgItem(page, IDC_MONTH), Checked(page, IDC_DATE));
    const bool chime = Checked(page, IDC_CHIME);
    for (int id : {IDC_CHIME_FILE, IDC_CHIME_OPEN, IDC_CHIME_PLAY})
        ::EnableWindow(::GetDlgItem(page, id), chime);
}

void TFConfig::OnCommand(int id, int code) {
    HWND page = Window();
    SpeechSettings& settings = plugin_.Settings();
    switch (id) {
    case IDC_TODAY:
        settings.say.today = Checked(page, id);
        break;
    case IDC_HOUR:
        settings.say.hour = Checked(page, id);
        break;
    case IDC_MINUTE:
        settings.say.minute = Checked(page, id);
        break;
    case IDC_MONTH:
        settings.say.month = Checked(page, id);
        break;
    case IDC_TIME:
        settings.say.time = Checked(page, id);
        EnableDependents();
        break;
    case IDC_DATE:
        settings.say.date = Checked(page, id);
        EnableDependents();
        break;
    case IDC_EVERY_HOUR:
        settings.everyHour = Checked(page, id);
        plugin_.ApplyHourRule();
        break;
    case IDC_CHIME:
        settings.everyHourPlay = Checked(page, id);
        EnableDependents();
        plugin_.ApplyHourRule();
        break;
    case IDC_VOICES:
        if (code == LBN_SELCHANGE) {
            HWND list = ::GetDlgItem(page, IDC_VOICES);
            const LRESULT index = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
            if (index != LB_ERR) {
                const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, index, 0);
                std::wstring name(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
                ::SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name.data()));
                settings.voice = name;
            }
        }
        break;
    case IDC_TEST:
        plugin_.RequestTalk();
        break;
    case IDC_CHIME_FILE:
        if (code == CBN_EDITCHANGE)
            ChimeEdited(false);
        else if (code == CBN_SELCHANGE)
            ChimeEdited(true);
        break;
    case IDC_CHIME_OPEN:
        ChooseChimeFile();
        break;
    case IDC_CHIME_PLAY:
        plugin_.PlayChime();
        break;
    default:
        break;
    }
}

void TFConfig::ChimeEdited(bool fromList) {
    HWND box = ::GetDlgItem(Window(), IDC_CHIME_FILE);
    std::wstring name;
    const LRESULT index = fromList ? ::SendMessageW(box, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (index != CB_ERR) {
        const LRESULT length = ::SendMessageW(box, CB_GETLBTEXTLEN, index, 0);
        name.assign(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
        ::SendMessageW(box, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(name.data()));
    } else {
        name = WindowText(box);
    }
    plugin_.Settings().chimeFile = chimeFolder_.empty() ? name : chimeFolder_ + L"\\" + name;
}

void TFConfig::ChooseChimeFile() {
    wchar_t path[MAX_PATH] = {};
    const std::wstring filter(L"Wave (*.wav)\0*.wav\0", 20);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Window();
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"wav";
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!::GetOpenFileNameW(&dialog))
        return;
    std::wstring folder, name;
    SplitPath(path, folder, name);
    FillChimes(folder, name);
    plugin_.Settings().chimeFile = path;
}

} // namespace zt
