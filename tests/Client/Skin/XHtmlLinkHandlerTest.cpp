// Tests of opening a link when the shell cannot: the ".htm" handler's command line from
// HKEY_CLASSES_ROOT, run with the URL. Each case has a prefix of its own, since it replaces the
// prefix's ".htm" handler.
#include <gtest/gtest.h>

#include <windows.h>

#include "Client/Skin/HtmlTestSupport.h"
#include "Client/Skin/XHtmlDrawLink.h"

namespace {

bool SetClassesDefault(const char* subKey, const char* value)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, subKey, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExA(key, NULL, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), DWORD(strlen(value) + 1));
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

TEST(XHtmlLinkHandler, FailedShellRunsTheHtmlHandlerWithTheUrl)
{
    ASSERT_TRUE(SetClassesDefault(".htm", "VelmoraTestPage"));
    ASSERT_TRUE(SetClassesDefault("VelmoraTestPage\\shell\\open\\command", "prog \"%1\""));
    EXPECT_STREQ("prog \"%1\"", CXHtmlDrawLink::ReadHtmlHandlerCommand().GetString());

    CXHtmlDrawLink link;
    link.SetLaunchFunctions(RecordShellExecute, RecordWinExec);
    Launches().Clear();
    Launches().shellResult = 32;   // the largest failure value
    link.GotoURL("http://x", SW_SHOWNORMAL, 0);
    ASSERT_EQ(1u, Launches().shellFiles.size());
    ASSERT_EQ(1u, Launches().winExecCommands.size());
    EXPECT_EQ("prog \"http://x\"", Launches().winExecCommands[0]);
    EXPECT_EQ(UINT(SW_SHOWNORMAL), Launches().winExecShows[0]);
}

TEST(XHtmlLinkHandler, WithoutAHandlerNothingIsRun)
{
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".htm");
    EXPECT_TRUE(CXHtmlDrawLink::ReadHtmlHandlerCommand().IsEmpty());
    CXHtmlDrawLink link;
    link.SetLaunchFunctions(RecordShellExecute, RecordWinExec);
    Launches().Clear();
    Launches().shellResult = 2;
    link.GotoURL("http://x", SW_SHOW, 0);
    EXPECT_EQ(1u, Launches().shellFiles.size());
    EXPECT_TRUE(Launches().winExecCommands.empty());

    // A class without an open command runs nothing either.
    ASSERT_TRUE(SetClassesDefault(".htm", "VelmoraNoCommand"));
    link.GotoURL("http://x", SW_SHOW, 0);
    EXPECT_TRUE(Launches().winExecCommands.empty());
}

}  // namespace
