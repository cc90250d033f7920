// The program's switches as the framework hands them over from a real argument vector.
#include <gtest/gtest.h>

#include <vector>

#include "Frame/CommandLineInfoEx.h"

namespace {

CCommandLineInfoEx Parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "Velmora.exe");
    CCommandLineInfoEx info;
    ParseCommandLine(info, static_cast<int>(args.size()), const_cast<char**>(args.data()));
    return info;
}

// Records what the framework hands to ParseParam.
struct RecordingInfo : CCommandLineInfo {
    struct Call {
        std::string param;
        BOOL isFlag, isLast;
    };
    std::vector<Call> calls;
    void ParseParam(const char* param, BOOL isFlag, BOOL isLast) override
    {
        calls.push_back({param, isFlag, isLast});
    }
};

}  // namespace

TEST(CommandLine, SwitchesInAnyCaseWithOrWithoutALeadingMark)
{
    struct Case {
        std::vector<const char*> args;
        int startScan, defrag;
    };
    const Case cases[] = {
        {{}, 0, 0},
        {{"STARTSCAN"}, 1, 0},
        {{"startscan"}, 1, 0},
        {{" StartScan  "}, 1, 0},
        {{"/startscan"}, 1, 0},
        {{"-STARTSCAN"}, 1, 0},
        {{"/defrag"}, 0, 1},
        {{"-Defrag"}, 0, 1},
        {{"DEFRAG", "STARTSCAN"}, 1, 1},
        {{"/bogus", "DEFRAG"}, 0, 1},
        {{"STARTSCANX"}, 0, 0},
        {{"scan"}, 0, 0},
        {{"--STARTSCAN"}, 0, 0},   // only one mark is taken off
        {{"//defrag"}, 0, 0},
        {{"START SCAN"}, 0, 0},
        {{""}, 0, 0},
        {{"/"}, 0, 0},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const char* a : c.args)
            shown += std::string("[") + a + "]";
        SCOPED_TRACE(shown);
        CCommandLineInfoEx info = Parse(c.args);
        EXPECT_EQ(info.m_startScan, c.startScan);
        EXPECT_EQ(info.m_defrag, c.defrag);
    }
}

TEST(CommandLine, FrameworkStripsOneMarkAndFlagsTheLastArgument)
{
    const char* args[] = {"Velmora.exe", "/a", "-b", "c", "--d"};
    RecordingInfo info;
    ParseCommandLine(info, 5, const_cast<char**>(args));
    ASSERT_EQ(info.calls.size(), 4u);
    EXPECT_EQ(info.calls[0].param, "a");
    EXPECT_TRUE(info.calls[0].isFlag);
    EXPECT_EQ(info.calls[1].param, "b");
    EXPECT_TRUE(info.calls[1].isFlag);
    EXPECT_EQ(info.calls[2].param, "c");
    EXPECT_FALSE(info.calls[2].isFlag);
    EXPECT_FALSE(info.calls[2].isLast);
    EXPECT_EQ(info.calls[3].param, "-d");
    EXPECT_TRUE(info.calls[3].isLast);
}
