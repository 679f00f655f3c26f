#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "common/utf.h"
#include "updater/frm_update.h"
#include "updater/loopback_http_server.h"
#include "updater/resource.h"
#include "updater/update_list.h"
#include "updater/win_support.h"
#include "updater/win_test_support.h"
#include "support/pump.h"

namespace zt::uplift {
namespace {

using zt::test::PumpUntil;

const SYSTEMTIME kNow = {2024, 3, 2, 5, 14, 7, 9, 0};
const std::string kListPath = "/soft/zentik_update_list.dat";

std::string Narrow(const std::wstring& text) {
    return WideToUtf8(text);
}

class UpdateFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof(controls),
                                      ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&controls);
    }

    void SetUp() override { ASSERT_TRUE(server.Running()); }

    std::string Line(const std::string& name, const std::string& path) {
        return name + "|1.0|10 KB|" + Narrow(server.Url(path));
    }

    void Open(const std::string& list) {
        server.Serve(kListPath, test::Ok(list));
        UpdateFormOptions options;
        options.instance = ::GetModuleHandleW(nullptr);
        options.listAddress = server.Url(kListPath);
        options.downloadFolder = Download().wstring();
        options.shellOpen = [this](HWND, const std::wstring& target) { opened.push_back(target); };
        options.now = [] { return kNow; };
        form = std::make_unique<TfrmUpdate>(std::move(options));
        ASSERT_TRUE(form->Create(SW_HIDE));
    }

    void OpenAndCheck(const std::string& list) {
        Open(list);
        Click(IDC_BTN_CHECK);
        ASSERT_TRUE(WaitStatus(L"Доступны обновления:")) << Status();
    }

    std::filesystem::path Download() const { return scratch.Path() / L"UpDate"; }
    HWND Item(int id) const { return ::GetDlgItem(form->Handle(), id); }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
    void Click(int id) { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }

    std::wstring Status() const {
        wchar_t text[512] = {};
        ::GetWindowTextW(Item(IDC_LBL_STATUS), text, 512);
        return text;
    }
    bool WaitStatus(const std::wstring& text, DWORD timeoutMs = 10000) {
        return PumpUntil([&] { return Status() == text; }, timeoutMs);
    }
    bool WaitStatusPrefix(const std::wstring& prefix) {
        return PumpUntil([&] { return Status().rfind(prefix, 0) == 0; });
    }

    int Rows() const {
        return static_cast<int>(::SendMessageW(Item(IDC_LV), LVM_GETITEMCOUNT, 0, 0));
    }
    std::wstring Cell(int row, int column) const {
        wchar_t text[512] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 512;
        ::SendMessageW(Item(IDC_LV), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    bool Checked(int row) const { return ListView_GetCheckState(Item(IDC_LV), row) == 1; }
    void Tick(int row) { ListView_SetCheckState(Item(IDC_LV), row, TRUE); }
    int BarPosition() const {
        return static_cast<int>(::SendMessageW(Item(IDC_PR_BAR), PBM_GETPOS, 0, 0));
    }
    int BarMaximum() const {
        return static_cast<int>(::SendMessageW(Item(IDC_PR_BAR), PBM_GETRANGE, FALSE, 0));
    }
    void ExpectIdle() const {
        EXPECT_TRUE(Enabled(IDC_BTN_CHECK));
        EXPECT_TRUE(Enabled(IDC_BTN_LOAD));
        EXPECT_TRUE(Enabled(IDC_LV));
    }

    // Destroys the window and returns the lines of the log it wrote.
    std::vector<std::wstring> CloseAndReadLog() {
        form.reset();
        const std::string bytes = test::ReadFileBytes(Download() / L"update.log");
        EXPECT_TRUE(bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n");
        return SplitLines(Utf8ToWide(bytes));
    }

    test::LoopbackHttpServer server;
    test::ScratchFolder scratch;
    std::unique_ptr<TfrmUpdate> form;
    std::vector<std::wstring> opened;
};

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(UpdateFormTest, OpensCompactWithLoadDisabledAndTheFolderCreated) {
    Open("");
    EXPECT_FALSE(Enabled(IDC_BTN_LOAD));
    EXPECT_TRUE(Enabled(IDC_BTN_CHECK));
    EXPECT_TRUE(std::filesystem::is_directory(Download()));
    EXPECT_EQ(Status(), L"");
    RECT client{};
    ::GetClientRect(form->Handle(), &client);
    const int dpi = static_cast<int>(::GetDpiForWindow(form->Handle()));
    EXPECT_EQ(client.bottom, ::MulDiv(TfrmUpdate::kCompactClientHeight, dpi, 96));
}

TEST_F(UpdateFormTest, ThreeLineListGivesThreeUncheckedRows) {
    OpenAndCheck(Line("a", "/file.zip") + "\r\nБез|разделителей\r\nhttp://host/whole-line.zip\r\n");
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(Cell(0, 0), L"a");
    EXPECT_EQ(Cell(0, 1), L"1.0");
    EXPECT_EQ(Cell(0, 2), L"10 KB");
    EXPECT_EQ(Cell(0, 3), server.Url("/file.zip"));
    EXPECT_EQ(Cell(1, 0), L"Без");
    EXPECT_EQ(Cell(1, 3), L"разделителей");
    EXPECT_EQ(Cell(2, 0), L"");
    EXPECT_EQ(Cell(2, 3), L"http://host/whole-line.zip");
    for (int row = 0; row < 3; ++row)
        EXPECT_FALSE(Checked(row)) << row;
    ExpectIdle();
    EXPECT_EQ(BarPosition(), 0);

    RECT outer{};
    ::GetWindowRect(form->Handle(), &outer);
    const int dpi = static_cast<int>(::GetDpiForWindow(form->Handle()));
    EXPECT_EQ(outer.bottom - outer.top, ::MulDiv(203, dpi, 96));
    RECT list{};
    ::GetClientRect(Item(IDC_LV), &list);
    EXPECT_GT(list.bottom, 0);
}

TEST_F(UpdateFormTest, CheckShowsRequestStatesAndDisablesCheckMeanwhile) {
    server.Serve(kListPath, test::Ok(""));
    Open("");
    server.Serve(kListPath, test::Ok(std::string(40, 'x')).InPieces(8, 80));
    Click(IDC_BTN_CHECK);
    EXPECT_EQ(Status(), L"Закачка обновления... ");
    EXPECT_FALSE(Enabled(IDC_BTN_CHECK));
    ASSERT_TRUE(WaitStatus(L"Запрос завершён.")) << Status();
    // The body arrives in pieces over about 400 ms; the bar learns its size first.
    EXPECT_TRUE(PumpUntil([&] { return BarMaximum() == 40; }));
    EXPECT_EQ(Status(), L"Запрос завершён.");
    EXPECT_EQ(Rows(), 0);
    ASSERT_TRUE(WaitStatus(L"Доступны обновления:"));
    EXPECT_EQ(Rows(), 1);
}

TEST_F(UpdateFormTest, ListThatCannotBeFetchedEndsInErrorPath) {
    Open("");
    server.Serve(kListPath, test::Ok("").WithStatus(404, "Not Found"));
    Click(IDC_BTN_CHECK);
    ASSERT_TRUE(WaitStatus(L"Ошибка: Сервер ответил: 404 Not Found")) << Status();
    EXPECT_TRUE(Enabled(IDC_BTN_CHECK));
    EXPECT_EQ(Rows(), 0);
    const auto log = CloseAndReadLog();
    EXPECT_TRUE(Contains(log, L"Ошибка: Сервер ответил: 404 Not Found; URL: " +
                                  server.Url(kListPath) + L"; Time: " + ShortTimeText(kNow)));
}

TEST_F(UpdateFormTest, TickedRowIsSavedUnderTheNameFromItsAddress) {
    const std::string body = test::PatternBody(10 * 1024);
    server.Serve("/dir/file.zip", test::Ok(body));
    OpenAndCheck(Line("a", "/dir/file.zip") + "\n" + Line("b", "/other.zip"));
    Tick(0);
    Click(IDC_BTN_LOAD);
    ASSERT_TRUE(WaitStatus(L"Загрузка завершенна.")) << Status();
    EXPECT_EQ(test::ReadFileBytes(Download() / L"file.zip"), body);
    EXPECT_EQ(scratch.Files(L"UpDate"), std::vector<std::wstring>{L"file.zip"});
    EXPECT_EQ(server.RequestCount("/other.zip"), 0);
    EXPECT_FALSE(Checked(0));
    ExpectIdle();
    EXPECT_EQ(BarPosition(), 0);
}

TEST_F(UpdateFormTest, LoadWithNothingTickedEndsAtOnce) {
    OpenAndCheck(Line("a", "/a.zip") + "\n" + Line("b", "/b.zip"));
    Click(IDC_BTN_LOAD);
    EXPECT_EQ(Status(), L"Загрузка завершенна.");
    ExpectIdle();
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(UpdateFormTest, CancelDuringSecondOfThreeLeavesThirdTickedAndLoadContinues) {
    const std::string slow = test::PatternBody(400 * 1024, 2);
    server.Serve("/one.bin", test::Ok(test::PatternBody(1024, 1)));
    server.Serve("/two.bin", test::Ok(slow).InPieces(4096, 10));
    server.Serve("/three.bin", test::Ok(test::PatternBody(2048, 3)));
    OpenAndCheck(Line("1", "/one.bin") + "\n" + Line("2", "/two.bin") + "\n" +
                 Line("3", "/three.bin"));
    for (int row = 0; row < 3; ++row)
        Tick(row);
    Click(IDC_BTN_LOAD);
    EXPECT_FALSE(Enabled(IDC_BTN_LOAD));
    EXPECT_FALSE(Enabled(IDC_BTN_CHECK));
    EXPECT_FALSE(Enabled(IDC_LV));
    ASSERT_TRUE(PumpUntil([&] {
        return Status() == L"Закачка two.bin" && BarMaximum() == static_cast<int>(slow.size()) &&
               BarPosition() > 0;
    })) << Status();
    EXPECT_FALSE(Checked(0));
    EXPECT_FALSE(Checked(1));
    EXPECT_TRUE(Checked(2));

    Click(IDC_BTN_CANCEL);
    EXPECT_EQ(Status(), L"Отменено... ");
    ExpectIdle();
    EXPECT_TRUE(Checked(2));
    zt::test::PumpFor(200);
    EXPECT_EQ(scratch.Files(L"UpDate"), std::vector<std::wstring>{L"one.bin"});

    Click(IDC_BTN_LOAD);
    ASSERT_TRUE(WaitStatus(L"Загрузка завершенна.")) << Status();
    EXPECT_EQ(scratch.Files(L"UpDate"), (std::vector<std::wstring>{L"one.bin", L"three.bin"}));
    EXPECT_FALSE(Checked(2));
    EXPECT_EQ(server.RequestCount("/two.bin"), 1);

    const auto log = CloseAndReadLog();
    EXPECT_TRUE(Contains(log, L"Отменено пользователем  в " + ShortTimeText(kNow)));
    EXPECT_TRUE(Contains(log, L"Закачка: " + (Download() / L"three.bin").wstring() +
                                  L" завершенна в " + ShortTimeText(kNow)));
}

TEST_F(UpdateFormTest, NotFoundAndDroppedConnectionEndInErrorPathWithLogLine) {
    server.Serve("/drop.bin", test::Ok(test::PatternBody(5000)).DroppedAfter(1000));
    OpenAndCheck(Line("m", "/missing.zip") + "\n" + Line("d", "/drop.bin"));
    Tick(0);
    Tick(1);
    Click(IDC_BTN_LOAD);
    ASSERT_TRUE(WaitStatus(L"Ошибка: Сервер ответил: 404 Not Found")) << Status();
    ExpectIdle();
    EXPECT_EQ(BarPosition(), 0);
    // The remaining ticked row waits for the next press.
    EXPECT_TRUE(Checked(1));
    EXPECT_EQ(server.RequestCount("/drop.bin"), 0);

    Click(IDC_BTN_LOAD);
    ASSERT_TRUE(WaitStatus(L"Ошибка: Соединение прервано: получено 1000 из 5000 байт")) << Status();
    ExpectIdle();
    EXPECT_TRUE(scratch.Files(L"UpDate").empty());

    const auto log = CloseAndReadLog();
    const std::wstring time = ShortTimeText(kNow);
    EXPECT_TRUE(Contains(log, L"Ошибка: Сервер ответил: 404 Not Found; URL: " +
                                  server.Url("/missing.zip") + L"; Time: " + time));
    EXPECT_TRUE(Contains(log, L"Ошибка: Соединение прервано: получено 1000 из 5000 байт; URL: " +
                                  server.Url("/drop.bin") + L"; Time: " + time));
}

TEST_F(UpdateFormTest, AddressesWithoutSafeFileNameWriteNothing) {
    OpenAndCheck(Line("up", "/..") + "\n" + Line("dev", "/CON") + "\n" +
                 Line("stream", "/a.zip:evil") + "\n" + Line("dir", "/sub/"));
    for (int row = 0; row < 4; ++row)
        Tick(row);
    const std::wstring expected[] = {L"Ошибка: Недопустимое имя файла «..»: это не имя файла",
                                     L"Ошибка: Недопустимое имя файла «CON»: зарезервированное "
                                     L"имя устройства",
                                     L"Ошибка: Недопустимое имя файла «a.zip:evil»: содержит "
                                     L"запрещённый символ «:»",
                                     L"Ошибка: В адресе нет имени файла"};
    for (const auto& status : expected) {
        Click(IDC_BTN_LOAD);
        ASSERT_TRUE(WaitStatus(status)) << Status();
        ExpectIdle();
    }
    zt::test::PumpFor(100);
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(scratch.Files(L"UpDate").empty());
    EXPECT_EQ(scratch.Files(), std::vector<std::wstring>{L"UpDate"});
    const auto log = CloseAndReadLog();
    EXPECT_TRUE(Contains(log, L"Ошибка: Недопустимое имя файла «CON»: зарезервированное имя "
                              L"устройства; URL: " +
                                  server.Url("/CON") + L"; Time: " + ShortTimeText(kNow)));
}

TEST_F(UpdateFormTest, LogAtCloseHasStartLineListBetweenMarkersAndEndLine) {
    std::filesystem::create_directories(Download());
    {
        const std::string old = "old log that must go\r\n";
        ASSERT_TRUE(WriteWholeFile((Download() / L"update.log").wstring(), old));
    }
    server.Serve("/file.zip", test::Ok("zip"));
    const std::vector<std::string> list = {Line("a", "/file.zip"), "Б|2|3|http://h/b.zip",
                                           "no bars"};
    OpenAndCheck(list[0] + "\r\n" + list[1] + "\r\n" + list[2] + "\r\n");
    Tick(0);
    Click(IDC_BTN_LOAD);
    ASSERT_TRUE(WaitStatus(L"Загрузка завершенна."));

    const auto log = CloseAndReadLog();
    const std::wstring time = ShortTimeText(kNow);
    const std::vector<std::wstring> expected = {
        L"  Обновление запущенно: " + DateTimeText(kNow),
        L"[ begin ZentikUpd.dat ]",
        Utf8ToWide(list[0]),
        Utf8ToWide(list[1]),
        Utf8ToWide(list[2]),
        L"[ end ZentikUpd.dat ]",
        L"Закачка: " + server.Url("/file.zip") + L" начало в " + time,
        L"Закачка: " + (Download() / L"file.zip").wstring() + L" завершенна в " + time,
        L"  Обновление завершенно:" + DateTimeText(kNow)};
    EXPECT_EQ(log, expected);
}

TEST_F(UpdateFormTest, DoubleClickAndOpenGoThroughTheShell) {
    OpenAndCheck(Line("a", "/a.zip") + "\nlocal|1|1|C:\\Windows\\notepad.exe");
    RECT label{};
    label.left = LVIR_LABEL;
    ASSERT_TRUE(::SendMessageW(Item(IDC_LV), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&label)));
    ::SendMessageW(Item(IDC_LV), WM_LBUTTONDBLCLK, MK_LBUTTON,
                   MAKELPARAM((label.left + label.right) / 2, (label.top + label.bottom) / 2));
    ASSERT_EQ(opened, std::vector<std::wstring>{server.Url("/a.zip")});

    // An address from the list that is no web address never reaches the shell.
    label.left = LVIR_LABEL;
    ASSERT_TRUE(::SendMessageW(Item(IDC_LV), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&label)));
    ::SendMessageW(Item(IDC_LV), WM_LBUTTONDBLCLK, MK_LBUTTON,
                   MAKELPARAM((label.left + label.right) / 2, (label.top + label.bottom) / 2));
    EXPECT_EQ(opened.size(), 1u);

    Click(IDC_BTN_OPEN_DIR);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], Download().wstring());
}

} // namespace
} // namespace zt::uplift
