// GIF block walker (see GifBlocks.h).
#include "Client/Skin/GifBlocks.h"

static const DWORD GifHeaderSize = 6;
static const DWORD GifScreenEnd = 13;        // header + logical screen descriptor

// Bytes of a colour table whose flag and size bits are in a packed byte.
static DWORD ColourTableSize(BYTE packed)
{
    return (packed & 0x80) ? 3u * (2u << (packed & 0x07)) : 0u;
}

static int ReadWord(const BYTE* p)
{
    return p[0] | (p[1] << 8);
}

// Length of a chain of data sub-blocks starting at offset (the terminating zero byte included),
// or 0 when the chain runs past the end.
static DWORD SubBlocksLength(const BYTE* data, DWORD size, DWORD offset)
{
    DWORD pos = offset;
    while (pos < size) {
        BYTE count = data[pos];
        if (count == 0)
            return pos + 1 - offset;
        pos += 1u + count;
    }
    return 0;
}

// Fixed part plus sub-blocks, or 0 when either runs past the end.
static DWORD FixedPlusSubBlocks(const BYTE* data, DWORD size, DWORD offset, DWORD fixed)
{
    if (fixed > size - offset)
        return 0;
    DWORD chain = SubBlocksLength(data, size, offset + fixed);
    return chain ? fixed + chain : 0;
}

BOOL IsGifData(const BYTE* data, DWORD size)
{
    return data && size >= 3 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F';
}

BOOL ReadGifScreen(const BYTE* data, DWORD size, GifScreen* screen)
{
    if (!IsGifData(data, size) || size < GifScreenEnd)
        return FALSE;
    const BYTE* descriptor = data + GifHeaderSize;
    DWORD table = ColourTableSize(descriptor[4]);
    if (table > size - GifScreenEnd)
        return FALSE;
    screen->width = ReadWord(descriptor);
    screen->height = ReadWord(descriptor + 2);
    screen->globalTableSize = table;
    screen->firstBlock = GifScreenEnd + table;
    return TRUE;
}

GifBlockKind GetGifBlockKind(const BYTE* data, DWORD size, DWORD offset)
{
    if (!data || offset >= size)
        return GifBlockUnknown;
    switch (data[offset]) {
    case 0x2C:
        return GifBlockImage;
    case 0x3B:
        return GifBlockTrailer;
    case 0x21:
        if (offset + 1 >= size)
            return GifBlockUnknown;
        switch (data[offset + 1]) {
        case 0xFF: return GifBlockApplication;
        case 0xFE: return GifBlockComment;
        case 0xF9: return GifBlockControl;
        case 0x01: return GifBlockPlainText;
        }
        return GifBlockUnknown;
    }
    return GifBlockUnknown;
}

DWORD GetGifBlockLength(const BYTE* data, DWORD size, DWORD offset)
{
    switch (GetGifBlockKind(data, size, offset)) {
    case GifBlockApplication:
        return FixedPlusSubBlocks(data, size, offset, 14);
    case GifBlockComment:
        return FixedPlusSubBlocks(data, size, offset, 2);
    case GifBlockControl:
        return 8 <= size - offset ? 8 : 0;
    case GifBlockPlainText:
        return FixedPlusSubBlocks(data, size, offset, 15);
    case GifBlockImage: {
        if (10 > size - offset)
            return 0;
        DWORD table = ColourTableSize(data[offset + 9]);
        // descriptor (10) + local table + LZW minimum code size (1), then the data sub-blocks
        if (table > size - offset - 10)
            return 0;
        return FixedPlusSubBlocks(data, size, offset, 11 + table);
    }
    case GifBlockTrailer:
        return 1;
    case GifBlockUnknown:
        break;
    }
    return 0;
}

int WalkGifFrames(const BYTE* data, DWORD size, const GifScreen& screen,
                  std::vector<GifFrameSpan>* frames)
{
    int found = 0;
    DWORD pos = screen.firstBlock;
    // The extension that opens the frame being walked, if any (the last one before its image).
    DWORD controlAt = 0;
    bool haveControl = false;
    while (pos < size) {
        GifBlockKind kind = GetGifBlockKind(data, size, pos);
        if (kind == GifBlockTrailer)
            break;
        DWORD length = GetGifBlockLength(data, size, pos);
        if (length == 0)
            break;
        if (kind == GifBlockControl) {
            controlAt = pos;
            haveControl = true;
        } else if (kind == GifBlockImage) {
            const BYTE* image = data + pos;
            GifFrameSpan span;
            span.start = haveControl ? controlAt : pos;
            span.end = pos + length;
            span.left = ReadWord(image + 1);
            span.top = ReadWord(image + 3);
            span.width = ReadWord(image + 5);
            span.height = ReadWord(image + 7);
            if (haveControl) {
                const BYTE* control = data + controlAt;
                span.delay = ReadWord(control + 4);
                span.disposal = (control[3] >> 2) & 0x07;
            } else {
                span.delay = GifDelayNone;
                span.disposal = 0;
            }
            if (frames)
                frames->push_back(span);
            ++found;
            haveControl = false;
        }
        pos += length;
    }
    return found;
}

DWORD GetGifFrameWait(int delay)
{
    return delay >= 5 ? DWORD(delay) * 10u : 100u;
}
