#include "src/gui/widget/NrTrayIcon.h"

#include "tests/widget/FakeShell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const HWND kWindow = reinterpret_cast<HWND>(0x1234);

TEST(CsTrayIcon, ConstructionPreparesTheRecordAndSetsVersion3)
{
    FakeShell shell;
    CsTrayIcon icon(kWindow, 1, 1114, shell.Function());
    ASSERT_EQ(1u, shell.calls.size());
    const Call& call = shell.calls[0];
    EXPECT_EQ(static_cast<DWORD>(NIM_SETVERSION), call.message);
    EXPECT_EQ(sizeof(void*) == 4 ? 488u : 504u, call.data.cbSize);
    EXPECT_EQ(kWindow, call.data.hWnd);
    EXPECT_EQ(1u, call.data.uID);
    EXPECT_EQ(1114u, call.data.uCallbackMessage);
    EXPECT_EQ(3u, call.data.uVersion);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE), call.data.uFlags);
    EXPECT_EQ(kWindow, icon.Window());
    EXPECT_FALSE(icon.IsShown());
}

TEST(CsTrayIcon, TipIsCutAt127Characters)
{
    const struct {
        std::string tip;
        std::string sent;
    } cases[] = {
        {"Pellon", "Pellon"},
        {std::string(127, 't'), std::string(127, 't')},
        {std::string(128, 't'), std::string(127, 't')},
        {std::string(200, 't'), std::string(127, 't')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tip.size());
        FakeShell shell;
        CsTrayIcon icon(kWindow, 1, 1114, shell.Function());
        icon.SetTip(c.tip);
        icon.SetVisible(true);
        EXPECT_EQ(c.sent, shell.calls.back().data.szTip);
    }
}

TEST(CsTrayIcon, FlagsFollowIconTipAndBalloon)
{
    const HICON someIcon = reinterpret_cast<HICON>(0x99);
    const struct {
        HICON icon;
        const char* tip;
        bool balloon;
        UINT flags;
    } cases[] = {
        {nullptr, "", false, NIF_MESSAGE},
        {someIcon, "", false, NIF_MESSAGE | NIF_ICON},
        {nullptr, "Pellon", false, NIF_MESSAGE | NIF_TIP},
        {someIcon, "Pellon", false, NIF_MESSAGE | NIF_ICON | NIF_TIP},
        {someIcon, "Pellon", true, NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO},
        {nullptr, "", true, NIF_MESSAGE | NIF_INFO},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        FakeShell shell;
        CsTrayIcon icon(kWindow, 1, 1114, shell.Function());
        EXPECT_EQ(nullptr, icon.SetIcon(c.icon));
        icon.SetTip(c.tip);
        icon.SetBalloonText("Hot");
        icon.SetVisible(true);
        icon.Update(c.balloon);
        EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), shell.calls.back().message);
        EXPECT_EQ(c.flags, shell.calls.back().data.uFlags);
        EXPECT_STREQ(c.balloon ? "Hot" : "", shell.calls.back().data.szInfo);
        EXPECT_EQ(c.icon, shell.calls.back().data.hIcon);
    }
}

TEST(CsTrayIcon, BalloonTextStopsAt255CharactersAndIsClearedForOtherUpdates)
{
    FakeShell shell;
    CsTrayIcon icon(kWindow, 1, 1114, shell.Function());
    icon.SetBalloonText(std::string(300, 'b'));
    icon.SetInfoFlags(NIIF_WARNING);
    icon.SetVisible(true);
    icon.Update(true);
    EXPECT_EQ(std::string(255, 'b'), shell.calls.back().data.szInfo);
    EXPECT_EQ(static_cast<DWORD>(NIIF_WARNING), shell.calls.back().data.dwInfoFlags);
    icon.Update(false);
    EXPECT_STREQ("", shell.calls.back().data.szInfo);
}

TEST(CsTrayIcon, ShowingTwiceAddsOnce)
{
    FakeShell shell;
    CsTrayIcon icon(kWindow, 1, 1114, shell.Function());
    icon.SetVisible(true);
    icon.SetVisible(true);
    EXPECT_EQ(1, shell.Count(NIM_ADD));
    EXPECT_TRUE(icon.IsShown());
}

TEST(CsTrayIcon, AddIsTriedThreeTimesThenLeft)
{
    const struct {
        std::vector<BOOL> answers;
        int adds;
        bool shown;
    } cases[] = {
        {{TRUE, TRUE}, 1, true},
        {{TRUE, FALSE, TRUE}, 2, true},
        {{TRUE, FALSE, FALSE, TRUE}, 3, true},
        {{TRUE, FALSE, FALSE, FALSE, TRUE}, 3, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.adds);
        FakeShell shell;
        shell.answers = c.answers;
        CsTrayIcon icon(kWindow, 1, 1114, shell.Function());
        icon.SetVisible(true);
        EXPECT_EQ(c.adds, shell.Count(NIM_ADD));
        EXPECT_EQ(c.shown, icon.IsShown());
        const std::size_t before = shell.calls.size();
        icon.Update(false);
        EXPECT_EQ(before + (c.shown ? 1 : 0), shell.calls.size()) << "updates need an entry";
    }
}

TEST(CsTrayIcon, FailedDeleteKeepsTheEntryShownAndRemovesItAtDestruction)
{
    FakeShell shell;
    {
        CsTrayIcon icon(kWindow, 1, 1114, shell.Function());
        icon.SetVisible(true);
        shell.answers = {FALSE};
        icon.SetVisible(false);
        EXPECT_TRUE(icon.IsShown());
        EXPECT_EQ(1, shell.Count(NIM_DELETE));
    }
    EXPECT_EQ(2, shell.Count(NIM_DELETE));

    FakeShell hidden;
    {
        CsTrayIcon icon(kWindow, 1, 1114, hidden.Function());
        icon.SetVisible(true);
        icon.SetVisible(false);
        EXPECT_FALSE(icon.IsShown());
    }
    EXPECT_EQ(1, hidden.Count(NIM_DELETE));
}

TEST(CsTrayIcon, RecreateAddsTheEntryAgainOnlyWhenItWasAskedFor)
{
    FakeShell shell;
    CsTrayIcon icon(kWindow, 1, 1114, shell.Function());
    icon.Recreate();
    EXPECT_EQ(0, shell.Count(NIM_ADD));

    // The shell was not up yet: every try fails; its restart brings the entry back.
    shell.answers = {FALSE, FALSE, FALSE};
    icon.SetVisible(true);
    EXPECT_FALSE(icon.IsShown());
    icon.Recreate();
    EXPECT_TRUE(icon.IsShown());
    EXPECT_EQ(4, shell.Count(NIM_ADD));

    icon.Recreate();
    EXPECT_EQ(5, shell.Count(NIM_ADD));

    icon.SetVisible(false);
    icon.Recreate();
    EXPECT_EQ(5, shell.Count(NIM_ADD));
}

// The real shell of the prefix: the entry exists exactly between add and delete.
TEST(CsTrayIcon, RealShellHoldsTheEntryWhileShown)
{
    HWND window = CreateWindowA("STATIC", "tray test", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    NOTIFYICONDATAA probe = {};
    probe.cbSize = CsTrayIcon::kRecordSize;
    probe.hWnd = window;
    probe.uID = 7;
    {
        CsTrayIcon icon(window, 7, 1114);
        icon.SetIcon(LoadIcon(nullptr, IDI_APPLICATION));
        icon.SetTip("Pellon");
        icon.SetVisible(true);
        ASSERT_TRUE(icon.IsShown());
        icon.Update(false);
        EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe)) << "entry missing while shown";
    }
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe)) << "entry left behind";
    DestroyWindow(window);
}

}  // namespace
