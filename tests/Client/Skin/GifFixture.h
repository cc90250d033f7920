// Test support: small GIF files built in memory, frame by frame, with the delays, disposals and
// extra blocks a test asks for. Pixels are LZW-coded with a clear code before every run of
// literals short enough that the code width never grows, so the data stays simple and valid.
#ifndef VELMORA_TESTS_GIF_FIXTURE_H
#define VELMORA_TESTS_GIF_FIXTURE_H

#include <windows.h>

#include <cstdint>
#include <vector>

struct GifFixtureFrame {
    int colour;          // palette index filling the frame
    int delay;           // hundredths of a second
    int disposal;
    bool control;        // with a graphic control extension
    int left, top, width, height;   // 0 width / height: the whole screen
};

class GifFixture {
public:
    // A logical screen of width x height with a 4-entry global palette:
    // 0 white, 1 red, 2 blue, 3 green.
    GifFixture(int width, int height) : m_width(width), m_height(height) {}

    GifFixture& Frame(int colour, int delay, int disposal = 1, bool control = true)
    {
        m_frames.push_back({colour, delay, disposal, control, 0, 0, 0, 0});
        return *this;
    }
    GifFixture& SubFrame(int colour, int delay, int left, int top, int width, int height,
                         int disposal = 1)
    {
        m_frames.push_back({colour, delay, disposal, true, left, top, width, height});
        return *this;
    }
    GifFixture& WithApplicationExtension() { m_application = true; return *this; }
    GifFixture& WithComment() { m_comment = true; return *this; }

    std::vector<BYTE> Bytes() const
    {
        std::vector<BYTE> d = {'G', 'I', 'F', '8', '9', 'a'};
        Word(d, m_width);
        Word(d, m_height);
        d.push_back(0x80 | 0x10 | 0x01);   // global table of 4 colours
        d.push_back(0);
        d.push_back(0);
        const BYTE palette[12] = {255, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0};
        d.insert(d.end(), palette, palette + 12);
        if (m_application) {
            const char* app = "NETSCAPE2.0";
            d.push_back(0x21); d.push_back(0xFF); d.push_back(11);
            d.insert(d.end(), app, app + 11);
            d.push_back(3); d.push_back(1); d.push_back(0); d.push_back(0); d.push_back(0);
        }
        for (const GifFixtureFrame& f : m_frames) {
            if (m_comment) {
                d.push_back(0x21); d.push_back(0xFE);
                d.push_back(5);
                const char* text = "hello";
                d.insert(d.end(), text, text + 5);
                d.push_back(0);
            }
            if (f.control) {
                d.push_back(0x21); d.push_back(0xF9); d.push_back(4);
                d.push_back(BYTE((f.disposal & 7) << 2));
                Word(d, f.delay);
                d.push_back(0); d.push_back(0);
            }
            int w = f.width ? f.width : m_width, h = f.height ? f.height : m_height;
            d.push_back(0x2C);
            Word(d, f.left); Word(d, f.top); Word(d, w); Word(d, h);
            d.push_back(0);
            d.push_back(2);   // LZW minimum code size
            std::vector<BYTE> lzw = Lzw(std::vector<int>(size_t(w * h), f.colour));
            for (size_t i = 0; i < lzw.size(); i += 255) {
                size_t n = lzw.size() - i < 255 ? lzw.size() - i : 255;
                d.push_back(BYTE(n));
                d.insert(d.end(), lzw.begin() + long(i), lzw.begin() + long(i + n));
            }
            d.push_back(0);
        }
        d.push_back(0x3B);
        return d;
    }

    // The data in a new movable global block (the caller frees it).
    static HGLOBAL ToGlobal(const std::vector<BYTE>& data)
    {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, data.size() ? data.size() : 1);
        if (block) {
            void* p = GlobalLock(block);
            if (!data.empty())
                memcpy(p, data.data(), data.size());
            GlobalUnlock(block);
        }
        return block;
    }

private:
    static void Word(std::vector<BYTE>& d, int v)
    {
        d.push_back(BYTE(v & 0xFF));
        d.push_back(BYTE((v >> 8) & 0xFF));
    }
    static std::vector<BYTE> Lzw(const std::vector<int>& pixels)
    {
        const int minCode = 2, clear = 1 << minCode, end = clear + 1, width = minCode + 1;
        const size_t run = (1u << minCode) - 2;
        std::vector<BYTE> out;
        uint32_t acc = 0;
        int bits = 0;
        auto put = [&](int code) {
            acc |= uint32_t(code) << bits;
            bits += width;
            while (bits >= 8) {
                out.push_back(BYTE(acc & 0xFF));
                acc >>= 8;
                bits -= 8;
            }
        };
        for (size_t i = 0; i < pixels.size(); ++i) {
            if (i % run == 0)
                put(clear);
            put(pixels[i]);
        }
        put(end);
        if (bits)
            out.push_back(BYTE(acc & 0xFF));
        return out;
    }

    int m_width, m_height;
    bool m_application = false, m_comment = false;
    std::vector<GifFixtureFrame> m_frames;
};

#endif
