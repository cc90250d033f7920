// GIF block walker: finds the logical screen, the blocks and the frames of GIF data in memory.
//
// Every read is checked against the data's size: a block that would run past the end, or a block
// that is not one of the known kinds, ends the walk, and the frames before it are kept. Nothing
// here allocates beyond the frame list or touches a window, so the animated picture control can
// parse on any thread and the parser can be tested on byte arrays.
#pragma once

#include <windows.h>

#include <vector>

enum GifBlockKind {
    GifBlockUnknown,
    GifBlockApplication,     // 0x21 0xFF
    GifBlockComment,         // 0x21 0xFE
    GifBlockControl,         // 0x21 0xF9, graphic control extension
    GifBlockPlainText,       // 0x21 0x01
    GifBlockImage,           // 0x2C, image descriptor with its colour table and data
    GifBlockTrailer          // 0x3B
};

// Delay of a frame that has no graphic control extension.
const int GifDelayNone = -1;

// The 6-byte header and the logical screen descriptor.
struct GifScreen {
    int width;
    int height;
    DWORD globalTableSize;   // bytes of the global colour table (0 when there is none)
    DWORD firstBlock;        // offset of the first block: 13 + the table size
};

// Where one frame lies in the data and what its blocks say about it.
struct GifFrameSpan {
    DWORD start;             // its graphic control extension, or its image descriptor when it has none
    DWORD end;               // one past the last byte of its image data
    int left, top;           // the image descriptor's position on the logical screen
    int width, height;
    int delay;               // hundredths of a second, or GifDelayNone
    int disposal;            // 0-7; 0 without a graphic control extension
};

// TRUE when the data starts with "GIF" (the version bytes are not looked at).
BOOL IsGifData(const BYTE* data, DWORD size);

// Reads the screen descriptor; FALSE when the data is not GIF or too short for the header, the
// descriptor and the global colour table.
BOOL ReadGifScreen(const BYTE* data, DWORD size, GifScreen* screen);

GifBlockKind GetGifBlockKind(const BYTE* data, DWORD size, DWORD offset);

// Length in bytes of the block at offset, sub-blocks included; 0 when the block is unknown or
// would run past the end of the data.
DWORD GetGifBlockLength(const BYTE* data, DWORD size, DWORD offset);

// Walks the blocks from the first one and appends a span for every complete frame (a run of
// blocks up to and including an image). Stops at the trailer or at the first block that does
// not parse. Returns the number of frames found.
int WalkGifFrames(const BYTE* data, DWORD size, const GifScreen& screen,
                  std::vector<GifFrameSpan>* frames);

// How long the animation shows a frame, in milliseconds: ten times the delay from 5 hundredths
// on, 100 ms for shorter delays and for frames without a delay.
DWORD GetGifFrameWait(int delay);
