// Tests of BMP files: read back by SDL2's own reader (SDL_LoadBMP) and compared pixel by pixel
// with the engine's bitmap for every depth and for odd and even sizes; the header fields and
// padding byte by byte; and the failures, which leave no file behind.
#include "toolbox/files/bitmap_files.h"

#include <SDL.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstdint>
#include <random>
#include <vector>

#include "rte/alloc_testing.h"
#include "rte/testing.h"
#include "rte/ui.h"
#include "toolbox/files/temp_dir_testing.h"

namespace {

class BitmapFiles : public toolbox::testing::TempDirTest {
protected:
    // Makes a bitmap of the engine, saves it as `name` and returns the file's bytes.
    std::string Saved(const char *name, int rowBytes, int depth, int width, int height, const int *colors,
                      const unsigned char *bits) {
        int id = 0;
        EXPECT_EQ(NewBitmap(rowBytes, depth, width, height, colors, bits, nullptr, &id), 0);
        EXPECT_EQ(SaveBitmapToFile(P(name).c_str(), id), 0) << name;
        DiscardBitmap(id);
        return Read(name);
    }
};

// A bitmap of random pixels (and a random palette below 24 bits), kept beside its engine copy.
struct Source {
    int depth, width, height, rowBytes;
    std::vector<int> colors;
    std::vector<unsigned char> bits;
    int id = 0;

    Source(int d, int w, int h, unsigned seed, int extraRowBytes = 0) : depth(d), width(w), height(h) {
        std::mt19937 random(seed);
        rowBytes = (d >= 24 ? w * (d / 8) : (w * d + 7) / 8) + extraRowBytes;
        if (d < 24) {
            for (int i = 0; i < (1 << d); ++i) colors.push_back(static_cast<int>(random() & 0xFFFFFF));
        }
        for (int i = 0; i < rowBytes * h; ++i) bits.push_back(static_cast<unsigned char>(random()));
        EXPECT_EQ(NewBitmap(rowBytes, d, w, h, d < 24 ? colors.data() : nullptr, bits.data(), nullptr, &id), 0);
    }
    ~Source() { DiscardBitmap(id); }

    // The colour the pixel stands for, 0x00RRGGBB.
    uint32_t Pixel(int x, int y) const {
        const unsigned char *row = bits.data() + y * rowBytes;
        if (depth >= 24) {
            const unsigned char *p = row + x * (depth / 8);
            return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
        }
        int bit = x * depth;
        int index = (row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
        return static_cast<uint32_t>(colors[static_cast<size_t>(index)]);
    }
};

// The file as SDL reads it, converted to 0x00RRGGBB per pixel; empty when SDL refuses it.
std::vector<uint32_t> LoadWithSdl(const std::string &path, int *width, int *height) {
    std::vector<uint32_t> out;
    SDL_Surface *loaded = SDL_LoadBMP(path.c_str());
    if (loaded == nullptr) return out;
    SDL_Surface *rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
    SDL_FreeSurface(loaded);
    if (rgb == nullptr) return out;
    *width = rgb->w;
    *height = rgb->h;
    for (int y = 0; y < rgb->h; ++y) {
        const uint32_t *row = reinterpret_cast<const uint32_t *>(static_cast<const unsigned char *>(rgb->pixels) +
                                                                 y * rgb->pitch);
        for (int x = 0; x < rgb->w; ++x) out.push_back(row[x] & 0xFFFFFF);
    }
    SDL_FreeSurface(rgb);
    return out;
}

uint32_t Le32(const std::string &file, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(file[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(file[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(file[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(file[at + 3])) << 24;
}

TEST_F(BitmapFiles, EveryDepthReadsBackPixelForPixel) {
    const int depths[] = {1, 4, 8, 24, 32};
    const struct { int width, height, extraRowBytes; } sizes[] = {
        {1, 1, 0}, {2, 2, 0}, {3, 5, 0}, {7, 4, 0}, {17, 9, 0}, {33, 2, 3}, {64, 3, 0},
    };
    unsigned seed = 1;
    for (int depth : depths) {
        for (const auto &s : sizes) {
            Source source(depth, s.width, s.height, seed++, s.extraRowBytes);
            std::string what = std::to_string(depth) + " bits " + std::to_string(s.width) + "x" + std::to_string(s.height);
            std::string path = P("image.bmp");
            ASSERT_EQ(SaveBitmapToFile(path.c_str(), source.id), 0) << what;
            int w = 0, h = 0;
            std::vector<uint32_t> read = LoadWithSdl(path, &w, &h);
            ASSERT_FALSE(read.empty()) << what << ": " << SDL_GetError();
            ASSERT_EQ(w, s.width) << what;
            ASSERT_EQ(h, s.height) << what;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    ASSERT_EQ(read[static_cast<size_t>(y * w + x)], source.Pixel(x, y))
                        << what << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST_F(BitmapFiles, HeadersPaddingAndRowOrderByteForByte) {
    // 3 pixels of 24 bits: rows of 9 bytes become 12, the last 3 zero; 3 rows, so the middle row
    // stays in the middle when the rows are turned bottom-up.
    const unsigned char pixels[] = {1, 2, 3, 4, 5, 6, 7, 8, 9,  11, 12, 13, 14, 15, 16, 17, 18, 19,
                                    21, 22, 23, 24, 25, 26, 27, 28, 29};
    std::string f = Saved("a.bmp", 9, 24, 3, 3, nullptr, pixels);
    ASSERT_EQ(f.size(), 54u + 3 * 12);
    EXPECT_EQ(f.substr(0, 2), "BM");
    EXPECT_EQ(Le32(f, 2), f.size());   // file size
    EXPECT_EQ(Le32(f, 10), 54u);       // pixel data offset
    EXPECT_EQ(Le32(f, 14), 40u);
    EXPECT_EQ(Le32(f, 18), 3u);
    EXPECT_EQ(Le32(f, 22), 3u);
    EXPECT_EQ(Le32(f, 28) & 0xFFFF, 24u);
    EXPECT_EQ(Le32(f, 30), 0u);        // no compression
    EXPECT_EQ(Le32(f, 34), 36u);       // image size
    EXPECT_EQ(Le32(f, 46), 0u);        // colours used
    const unsigned char rows[] = {23, 22, 21, 26, 25, 24, 29, 28, 27, 0, 0, 0,  13, 12, 11, 16, 15, 14, 19, 18, 17, 0, 0, 0,
                                  3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0};
    EXPECT_EQ(f.substr(54), std::string(reinterpret_cast<const char *>(rows), sizeof rows));

    // A 2 x 2 bitmap of 24 bits is 54 + 2 x 8 = 70 bytes long.
    unsigned char four[12] = {};
    f = Saved("b.bmp", -1, 24, 2, 2, nullptr, four);
    EXPECT_EQ(f.size(), 70u);
    EXPECT_EQ(Le32(f, 2), 70u);

    // 8 bits: 256 entries of blue, green, red, 0; colours used 256; the pixels follow the table.
    std::vector<int> palette(256);
    for (int i = 0; i < 256; ++i) palette[static_cast<size_t>(i)] = 0x010203 * (i % 64);
    unsigned char indexes[2] = {5, 200};
    f = Saved("c.bmp", -1, 8, 2, 1, palette.data(), indexes);
    EXPECT_EQ(Le32(f, 10), 54u + 1024);
    EXPECT_EQ(Le32(f, 46), 256u);
    EXPECT_EQ(f.size(), 54u + 1024 + 4);
    EXPECT_EQ(Le32(f, 54 + 5 * 4), 0x050A0Fu);  // entry 5 = 0x050A0F: bytes blue 0F, green 0A, red 05, 0
    EXPECT_EQ(f.substr(54 + 1024), std::string("\x05\xC8\x00\x00", 4));
}

TEST_F(BitmapFiles, ThirtyTwoBitPixelsKeepTheirFourthByte) {
    const unsigned char pixel[] = {0x11, 0x22, 0x33, 0x7F};
    std::string f = Saved("d.bmp", -1, 32, 1, 1, nullptr, pixel);
    EXPECT_EQ(f.size(), 58u);  // no colour table
    EXPECT_EQ(f.substr(54), std::string("\x33\x22\x11\x7F", 4));
}

TEST_F(BitmapFiles, PicturesOfControlsAndPanelsAreSavedAndReleased) {
    int panel = NewPanel(0, "Pictures", 0, 0, 120, 200);
    int button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Press", 20, 30);
    // The picture's ID is the next one the engine gives: it is gone again after the save.
    unsigned char one[3] = {};
    int before = 0;
    ASSERT_EQ(NewBitmap(-1, 24, 1, 1, nullptr, one, nullptr, &before), 0);
    ASSERT_EQ(SaveCtrlDisplayToFile(panel, button, 0, VAL_KEEP_SIZE, VAL_KEEP_SIZE, P("ctrl.bmp").c_str()), 0);
    EXPECT_EQ(GetBitmapInfo(before + 1, nullptr, nullptr, nullptr), UIE_BAD_BITMAP);
    ASSERT_EQ(SavePanelDisplayToFile(panel, VAL_VISIBLE_AREA, MakeRect(0, 0, VAL_TO_EDGE, VAL_TO_EDGE), 60, 100,
                                     P("panel.bmp").c_str()),
              0);
    EXPECT_EQ(GetBitmapInfo(before + 2, nullptr, nullptr, nullptr), UIE_BAD_BITMAP);
    DiscardBitmap(before);

    // The file shows what the engine's own picture shows.
    int picture = 0, rowBytes = 0, depth = 0, width = 0, height = 0, bitsSize = 0;
    ASSERT_EQ(GetCtrlDisplayBitmap(panel, button, 0, &picture), 0);
    ASSERT_EQ(GetBitmapInfo(picture, nullptr, &bitsSize, nullptr), 0);
    std::vector<unsigned char> bits(static_cast<size_t>(bitsSize));
    ASSERT_EQ(GetBitmapData(picture, &rowBytes, &depth, &width, &height, nullptr, bits.data(), nullptr), 0);
    DiscardBitmap(picture);
    int w = 0, h = 0;
    std::vector<uint32_t> read = LoadWithSdl(P("ctrl.bmp"), &w, &h);
    ASSERT_EQ(w, width);
    ASSERT_EQ(h, height);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const unsigned char *p = bits.data() + y * rowBytes + 3 * x;
            ASSERT_EQ(read[static_cast<size_t>(y * w + x)], (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]);
        }
    }
    LoadWithSdl(P("panel.bmp"), &w, &h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 60);

    // The engine's refusals come back unchanged, and no file is made.
    EXPECT_EQ(SaveCtrlDisplayToFile(panel, 999, 0, VAL_KEEP_SIZE, VAL_KEEP_SIZE, P("none.bmp").c_str()), UIE_BAD_CONTROL);
    EXPECT_EQ(SavePanelDisplayToFile(panel, 7, MakeRect(0, 0, 10, 10), VAL_KEEP_SIZE, VAL_KEEP_SIZE, P("none.bmp").c_str()),
              UIE_BAD_VALUE);
    EXPECT_EQ(SaveBitmapToFile(P("none.bmp").c_str(), 987654), UIE_BAD_BITMAP);
    EXPECT_FALSE(Exists("none.bmp"));
    DiscardPanel(panel);
}

TEST_F(BitmapFiles, FailuresLeaveNoFile) {
    Source source(24, 40, 30, 7);
    // Out of memory at every allocation: -12 and no file.
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        int rc = SaveBitmapToFile(P("mem.bmp").c_str(), source.id);
        EXPECT_EQ(rc, injected ? UIE_OUT_OF_MEMORY : 0);
        EXPECT_EQ(Exists("mem.bmp"), !injected);
        std::remove(P("mem.bmp").c_str());
    });
    // A folder that does not exist, a name too long for the system.
    EXPECT_EQ(SaveBitmapToFile(P("no/such/folder.bmp").c_str(), source.id), UIE_FILE_OPEN_FAILED);
    EXPECT_EQ(SaveBitmapToFile(P(std::string(300, 'n')).c_str(), source.id), UIE_BAD_PATHNAME);
    // A write that fails half way (the file-size limit of the process): the part is removed,
    // and a file of that name from before is not left half written either.
    Write("big.bmp", "old contents");
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int rc = SaveBitmapToFile(P("big.bmp").c_str(), source.id);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(rc, UIE_FILE_IO_ERROR);
    EXPECT_FALSE(Exists("big.bmp"));
}

TEST(BitmapFilesDeathTest, ANullFileNameIsAProgrammingError) {
    EXPECT_DEATH(SaveBitmapToFile(nullptr, 1), "Null file name passed to SaveBitmapToFile");
}

}  // namespace
