#include "gif_writer.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "gif_decode.h"
#include "temp_folder.h"

namespace {

// An image of `colors` distinct colours (0x00BBGGRR), every colour used at least once.
GifBitmap randomBitmap(int width, int height, int colors, unsigned seed, int runLength = 1) {
    std::mt19937 random(seed);
    // Colour n: blue n, red and green scattered.
    auto colorOf = [](std::uint32_t n) { return (n * 37 % 256) | (n * 101 % 256) << 8 | n << 16; };
    GifBitmap bitmap{width, height, {}};
    std::uint32_t color = 0;
    for (int i = 0; i < width * height; ++i) {
        if (i < colors)
            color = colorOf(static_cast<std::uint32_t>(i));
        else if (i % runLength == 0)
            color = colorOf(random() % static_cast<unsigned>(colors));
        bitmap.colors.push_back(color);
    }
    return bitmap;
}

// A diagram-like picture: 8 x 8 squares of two colours with a few pieces of three more.
GifBitmap diagramBitmap() {
    GifBitmap bitmap{304, 304, {}};
    for (int y = 0; y < 304; ++y)
        for (int x = 0; x < 304; ++x) {
            const bool dark = ((x / 38) + (y / 38)) % 2 == 1;
            std::uint32_t color = dark ? 0x00808000u : 0x00FFFFFFu;
            const int cx = x % 38 - 19, cy = y % 38 - 19;
            if (y < 76 && cx * cx + cy * cy < 144) color = 0;  // black pieces
            if (y >= 228 && cx * cx + cy * cy < 144)
                color = cx * cx + cy * cy < 100 ? 0x00F0F0F0u : 0x00000040u;
            bitmap.colors.push_back(color);
        }
    return bitmap;
}

std::string encode(const GifBitmap& bitmap, TColorTable* tableOut = nullptr) {
    TColorTable table;
    auto pixels = BitmapToIndices(bitmap, table);
    TGifFile file;
    file.AddSubImage(table, *pixels);
    if (tableOut) *tableOut = table;
    return file.bytes();
}

TEST(GifWriter, IndependentDecodersGetBackExactlyWhatWentIn) {
    struct Case {
        const char* name;
        GifBitmap bitmap;
    };
    const std::vector<Case> cases = {
        {"diagram", diagramBitmap()},
        {"2 colours", randomBitmap(97, 61, 2, 1)},
        {"16 colours", randomBitmap(200, 150, 16, 2)},
        {"256 colours, many table resets", randomBitmap(300, 300, 256, 3)},
        {"256 colours in long runs", randomBitmap(640, 480, 256, 4, 37)},
        {"1 x 1", randomBitmap(1, 1, 1, 5)},
        {"one colour, one run", randomBitmap(1000, 999, 1, 6)},
        {"last pixel a run of its own", {3, 1, {0x0, 0x0, 0xFFFFFF}}},
    };
    for (const auto& c : cases) {
        TColorTable table;
        const std::string bytes = encode(c.bitmap, &table);
        const DecodedGif gif = decodeWithGiflib(bytes);
        ASSERT_TRUE(gif.ok) << c.name << ": " << gif.error;
        ASSERT_EQ(gif.width, c.bitmap.width) << c.name;
        ASSERT_EQ(gif.height, c.bitmap.height) << c.name;
        ASSERT_EQ(static_cast<int>(gif.palette.size()), table.count) << c.name;
        std::size_t differences = 0;
        for (std::size_t i = 0; i < c.bitmap.colors.size(); ++i) {
            const std::uint32_t color = c.bitmap.colors[i];
            const auto& rgb = gif.palette[gif.indices[i]];
            differences +=
                rgb != std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(color),
                                                   static_cast<std::uint8_t>(color >> 8),
                                                   static_cast<std::uint8_t>(color >> 16)};
        }
        EXPECT_EQ(differences, 0u) << c.name;

        // Qt's reader gets the same colours.
        QImage image;
        ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                                       static_cast<int>(bytes.size()), "GIF"))
            << c.name;
        differences = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb rgb = image.pixel(x, y);
                const std::uint32_t color =
                    c.bitmap.colors[static_cast<std::size_t>(y * image.width() + x)];
                differences += static_cast<std::uint32_t>(qRed(rgb) | (qGreen(rgb) << 8) |
                                                          (qBlue(rgb) << 16)) != color;
            }
        EXPECT_EQ(differences, 0u) << c.name << " (Qt)";
    }
}

// A decoder that reads every code at the width the format defines, the end code included:
// images of every length up to a few table widths, where the last entry lands on each width.
TEST(GifWriter, AStrictDecoderFindsTheEndCodeAtItsWidth) {
    int widened = 0;
    for (const int colors : {2, 16, 256})
        for (int length = 1; length <= 700; ++length) {
            const GifBitmap row =
                randomBitmap(length, 1, std::min(colors, length), static_cast<unsigned>(length));
            TColorTable table;
            auto pixels = BitmapToIndices(row, table);
            TGifFile file;
            file.AddSubImage(table, *pixels);
            const DecodedGif gif = decodeStrictly(file.bytes());
            ASSERT_TRUE(gif.ok) << colors << " colours, " << length << " pixels: " << gif.error;
            ASSERT_EQ(gif.indices,
                      std::vector<std::uint8_t>(pixels->data(), pixels->data() + length))
                << colors << " colours, " << length << " pixels";
            widened += gif.endCodeWidened;
        }
    EXPECT_GT(widened, 10);  // the case is met, not only passed by
    const DecodedGif diagram = decodeStrictly(encode(diagramBitmap()));
    EXPECT_TRUE(diagram.ok) << diagram.error;
}

TEST(GifWriter, TablesFillingAtTheLastPixelSecondImagesAndInterlace) {
    // One-row images around the length at which the string table fills up.
    for (int length = 3800; length <= 4400; ++length) {
        const GifBitmap row = randomBitmap(length, 1, 256, static_cast<unsigned>(length));
        TColorTable table;
        auto pixels = BitmapToIndices(row, table);
        TGifFile file;
        file.AddSubImage(table, *pixels);
        const DecodedGif gif = decodeWithGiflib(file.bytes());
        ASSERT_TRUE(gif.ok) << length;
        ASSERT_EQ(gif.indices, std::vector<std::uint8_t>(pixels->data(), pixels->data() + length))
            << length;
    }
    // A second image with a local table of its own, and an interlaced first image.
    TColorTable first;
    auto one = BitmapToIndices(randomBitmap(40, 23, 2, 11), first);
    TColorTable second;
    auto two = BitmapToIndices(randomBitmap(30, 17, 16, 12), second);
    TGifFile file;
    file.AddSubImage(first, *one);
    file.AddSubImage(second, *two);
    const std::string bytes = file.bytes();
    const DecodedGif local = decodeWithGiflib(bytes, 1);
    ASSERT_TRUE(local.ok) << local.error;
    EXPECT_EQ(local.indices, std::vector<std::uint8_t>(two->data(), two->data() + 30 * 17));
    ASSERT_EQ(local.palette.size(), 16u);
    EXPECT_EQ(local.palette[3], second.entries[3]);

    TGifSubImage interlaced(first.count, *one);
    interlaced.interlaced = true;
    interlaced.encode();
    TGifFile plain;
    plain.AddSubImage(first, *one);
    std::string withInterlace = plain.bytes();
    // Put the interlaced stream in place of the plain one: same header, flags 0x40.
    const std::size_t data = 13 + 6 + 10;
    withInterlace.resize(data - 1);
    withInterlace += '\x40';
    withInterlace += static_cast<char>(interlaced.minCodeSize);
    for (std::size_t i = 0; i < interlaced.compressed.blockCount(); ++i) {
        withInterlace += static_cast<char>(interlaced.compressed.blockSize(i));
        withInterlace.append(reinterpret_cast<const char*>(interlaced.compressed.block(i)),
                             interlaced.compressed.blockSize(i));
    }
    withInterlace += '\0';
    withInterlace += ';';
    const DecodedGif deinterlaced = decodeWithGiflib(withInterlace);
    ASSERT_TRUE(deinterlaced.ok) << deinterlaced.error;
    // giflib puts the rows of the four passes back in their places.
    EXPECT_EQ(deinterlaced.indices, std::vector<std::uint8_t>(one->data(), one->data() + 40 * 23));
}

TEST(GifWriter, FileLayoutOfADiagramAndOfATwoColourImage) {
    const GifBitmap diagram = diagramBitmap();
    const std::string bytes = encode(diagram);
    auto byte = [&bytes](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
    EXPECT_EQ(bytes.substr(0, 6), "GIF87a");
    EXPECT_EQ(byte(6) | byte(7) << 8, 304);
    EXPECT_EQ(byte(8) | byte(9) << 8, 304);
    EXPECT_EQ(byte(10), 0xB3);
    EXPECT_EQ(byte(11), 0);
    EXPECT_EQ(byte(12), 0);
    // The first entry of the 48-byte table is the top-left pixel's colour (white here).
    EXPECT_EQ(byte(13), 255);
    EXPECT_EQ(byte(14), 255);
    EXPECT_EQ(byte(15), 255);
    const std::size_t image = 13 + 48;
    EXPECT_EQ(bytes[image], ',');
    EXPECT_EQ(bytes.substr(image + 1, 4), std::string(4, '\0'));
    EXPECT_EQ(byte(image + 5) | byte(image + 6) << 8, 304);
    EXPECT_EQ(byte(image + 9), 0);
    EXPECT_EQ(byte(image + 10), 4);  // min code size
    // The first code is the clear code (16, five bits).
    EXPECT_EQ(byte(image + 12) & 0x1F, 16);
    std::size_t at = image + 11;
    while (byte(at) == 255)
        at += 256;
    EXPECT_GT(byte(at), 0);
    at += byte(at) + 1;
    EXPECT_EQ(byte(at), 0);
    EXPECT_EQ(bytes[at + 1], ';');
    EXPECT_EQ(at + 2, bytes.size());

    const std::string two = encode(randomBitmap(10, 10, 2, 9));
    EXPECT_EQ(static_cast<unsigned char>(two[10]), 0x80);
    EXPECT_EQ(two[13 + 6 + 10], 2);         // min code size 2, after a 2-entry table
    EXPECT_EQ(two[13 + 6 + 12] & 0x07, 4);  // clear code, three bits
    const std::string one = encode(randomBitmap(5, 5, 1, 9));
    EXPECT_EQ(static_cast<unsigned char>(one[10]), 0x80);
}

TEST(GifWriter, WrongColourCountsIndicesAndFailedWritesGiveTheirErrors) {
    auto messageOf = [](const std::function<void()>& work) {
        try {
            work();
        } catch (const std::exception& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    TByteArray2D pixels(2, 2);
    EXPECT_EQ(messageOf([&] { TGifFile().AddSubImage(TColorTable::withDefaults(4), pixels); }),
              "unexpected number of colors");
    EXPECT_EQ(messageOf([&] { TGifFile().AddSubImage(TColorTable::withDefaults(3), pixels); }),
              "Number of colors must be 2, 4, 8, 16 or 256");
    EXPECT_EQ(messageOf([&] { pixels.get(3, 1); }), "Dynamic array index out of bounds");
    EXPECT_EQ(messageOf([&] { TBigByteArray(4).set(0, 1); }), "Dynamic array index out of bounds");
    pixels.set(2, 2, 5);
    EXPECT_EQ(messageOf([&] {
                  TGifFile file;
                  file.AddSubImage(TColorTable::withDefaults(2), pixels);
                  file.bytes();
              }),
              "Pixel index 5 beyond a table of 2 colors");
    pixels.set(2, 2, 0);
    // A second image gets a local table.
    TGifFile two;
    two.AddSubImage(TColorTable::withDefaults(2), pixels);
    two.AddSubImage(TColorTable::withDefaults(16), pixels);
    EXPECT_EQ(two.imageCount(), 2u);
    EXPECT_EQ(two.screenFlags(), 0x80);

    // A refused write (a file size limit, as a full disk) and a vanished folder: an error
    // naming the file, nothing under its name and no temporary file left.
    TempFolder folder;
    TColorTable table;
    auto big = BitmapToIndices(randomBitmap(300, 300, 256, 7), table);
    TGifFile file;
    file.AddSubImage(table, *big);
    {
        FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.active());
        EXPECT_NE(messageOf([&] {
                      file.SaveToFile(folder.path("full.gif"));
                  }).find("Can't write " + folder.path("full.gif")),
                  std::string::npos);
    }
    EXPECT_TRUE(folder.entries().empty());
    EXPECT_NE(messageOf([&] { file.SaveToFile(folder.path("gone/x.gif")); }).find("Can't write"),
              std::string::npos);
    file.SaveToFile(folder.path("ok.gif"));
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"ok.gif"});
}

}  // namespace
