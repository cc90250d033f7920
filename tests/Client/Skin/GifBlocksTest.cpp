// Tests of the GIF block walker on GIF data built in memory: frame spans, their delays and
// disposals, extension blocks, and data cut short or broken at every position.
#include <gtest/gtest.h>

#include "Client/Skin/GifBlocks.h"
#include "Client/Skin/GifFixture.h"

namespace {

std::vector<GifFrameSpan> Walk(const std::vector<BYTE>& data, int* count = nullptr)
{
    std::vector<GifFrameSpan> spans;
    GifScreen screen;
    if (!ReadGifScreen(data.data(), DWORD(data.size()), &screen))
        return spans;
    int n = WalkGifFrames(data.data(), DWORD(data.size()), screen, &spans);
    if (count)
        *count = n;
    return spans;
}

}  // namespace

TEST(GifBlocks, FramesCarryDelayDisposalAndPositionPastExtensions)
{
    std::vector<BYTE> data = GifFixture(8, 6)
                                 .WithApplicationExtension()
                                 .WithComment()
                                 .Frame(1, 0, 2)
                                 .Frame(2, 5, 2)
                                 .SubFrame(3, 10, 2, 1, 4, 3, 3)
                                 .Bytes();
    GifScreen screen;
    ASSERT_TRUE(ReadGifScreen(data.data(), DWORD(data.size()), &screen));
    EXPECT_EQ(8, screen.width);
    EXPECT_EQ(6, screen.height);
    EXPECT_EQ(12u, screen.globalTableSize);
    EXPECT_EQ(25u, screen.firstBlock);

    int count = 0;
    std::vector<GifFrameSpan> spans = Walk(data, &count);
    ASSERT_EQ(3, count);
    ASSERT_EQ(3u, spans.size());
    const int delays[3] = {0, 5, 10}, disposals[3] = {2, 2, 3};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(delays[i], spans[i].delay);
        EXPECT_EQ(disposals[i], spans[i].disposal);
        // A frame's own blocks start at its graphic control extension, not at the comment
        // before it, and end with its image data.
        EXPECT_EQ(GifBlockControl, GetGifBlockKind(data.data(), DWORD(data.size()), spans[i].start));
        EXPECT_EQ(GifBlockImage,
                  GetGifBlockKind(data.data(), DWORD(data.size()), spans[i].start + 8));
        EXPECT_EQ(0, data[spans[i].end - 1]);   // the sub-block terminator
    }
    EXPECT_EQ(GifBlockTrailer, GetGifBlockKind(data.data(), DWORD(data.size()), spans[2].end));
    EXPECT_EQ(2, spans[2].left);
    EXPECT_EQ(1, spans[2].top);
    EXPECT_EQ(4, spans[2].width);
    EXPECT_EQ(3, spans[2].height);
    EXPECT_EQ(8, spans[0].width);
    EXPECT_EQ(6, spans[0].height);
}

TEST(GifBlocks, FrameWithoutControlExtensionHasNoDelayAndStartsAtItsImage)
{
    std::vector<BYTE> data = GifFixture(4, 4).Frame(1, 20, 2, false).Frame(2, 20, 2).Bytes();
    std::vector<GifFrameSpan> spans = Walk(data);
    ASSERT_EQ(2u, spans.size());
    EXPECT_EQ(GifDelayNone, spans[0].delay);
    EXPECT_EQ(0, spans[0].disposal);
    EXPECT_EQ(GifBlockImage, GetGifBlockKind(data.data(), DWORD(data.size()), spans[0].start));
    EXPECT_EQ(20, spans[1].delay);
}

// Every prefix of a valid file walks without reading past its end and finds exactly the frames
// that are complete in it.
TEST(GifBlocks, DataCutAtEveryLengthKeepsTheCompleteFrames)
{
    std::vector<BYTE> data =
        GifFixture(5, 5).WithApplicationExtension().Frame(1, 5).Frame(2, 5).Frame(3, 5).Bytes();
    std::vector<GifFrameSpan> full = Walk(data);
    ASSERT_EQ(3u, full.size());
    for (size_t length = 0; length <= data.size(); ++length) {
        SCOPED_TRACE(length);
        // A copy of exactly this length, so a read past the end is a read past the block.
        std::vector<BYTE> cut(data.begin(), data.begin() + long(length));
        size_t expected = 0;
        for (const GifFrameSpan& s : full)
            if (s.end <= length)
                ++expected;
        GifScreen screen;
        BOOL header = ReadGifScreen(cut.data(), DWORD(cut.size()), &screen);
        EXPECT_EQ(length >= 25, bool(header));
        EXPECT_EQ(expected, Walk(cut).size());
    }
}

TEST(GifBlocks, MalformedDataEndsTheWalk)
{
    struct Case {
        const char* name;
        std::vector<BYTE> data;
        bool header;
        size_t frames;
    };
    std::vector<BYTE> two = GifFixture(4, 4).Frame(1, 5).Frame(2, 5).Bytes();
    std::vector<GifFrameSpan> spans = Walk(two);
    ASSERT_EQ(2u, spans.size());

    std::vector<BYTE> unknown = two;   // a stray byte between the frames
    unknown.insert(unknown.begin() + long(spans[0].end), 0x99);
    std::vector<BYTE> badExtension = two;   // an extension label nobody knows
    badExtension[spans[1].start + 1] = 0x42;
    std::vector<BYTE> noTerminator(two.begin(), two.begin() + long(spans[1].end - 1));
    std::vector<BYTE> hugeTable = two;   // global table flag with 256 entries the data lacks
    hugeTable[10] = 0x87;
    std::vector<BYTE> zeroFrames(two.begin(), two.begin() + 25);
    zeroFrames.push_back(0x3B);

    const Case cases[] = {
        {"empty", {}, false, 0},
        {"GIF and three stray bytes", {'G', 'I', 'F', 1, 2, 3}, false, 0},
        {"header only", {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0, 0, 0}, true, 0},
        {"no frames before the trailer", zeroFrames, true, 0},
        {"unknown block", unknown, true, 1},
        {"unknown extension", badExtension, true, 1},
        {"last sub-block chain cut", noTerminator, true, 1},
        {"global table past the end", hugeTable, false, 0},
        {"not GIF", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GifScreen screen;
        EXPECT_EQ(c.header, bool(ReadGifScreen(c.data.data(), DWORD(c.data.size()), &screen)));
        EXPECT_EQ(c.frames, Walk(c.data).size());
    }
}

TEST(GifBlocks, FrameWaitFollowsTheDelay)
{
    const struct {
        int delay;
        DWORD ms;
    } cases[] = {{0, 100}, {1, 100}, {4, 100}, {5, 50}, {10, 100}, {500, 5000}, {GifDelayNone, 100}};
    for (const auto& c : cases)
        EXPECT_EQ(c.ms, GetGifFrameWait(c.delay)) << c.delay;
}
