// libFuzzer target: random images (up to 1024 x 1024, 1 to 256 colours) through the GIF writer
// and giflib's decoder; any difference between what went in and what came out stops it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "gif_decode.h"
#include "gif_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    const int width = 1 + ((data[0] | data[1] << 8) % 1024);
    const int height = 1 + ((data[2] | data[3] << 8) % 1024);
    const int colors = 1 + data[4];
    const std::uint8_t* pixels = data + 5;
    const std::size_t count = size - 5;
    // The pixels repeat the input's bytes (every colour may appear); a colour is the byte
    // modulo the colour count, spread over the three channels.
    GifBitmap bitmap{width, height, {}};
    bitmap.colors.reserve(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
        const std::uint32_t n = count ? pixels[i % count] % colors : 0;
        bitmap.colors.push_back((n * 37 % 256) | (n * 101 % 256) << 8 | n << 16);
    }
    TColorTable table;
    auto indices = BitmapToIndices(bitmap, table);
    TGifFile file;
    file.AddSubImage(table, *indices);
    const DecodedGif gif = decodeWithGiflib(file.bytes());
    if (!gif.ok || gif.width != width || gif.height != height) std::abort();
    for (std::size_t i = 0; i < bitmap.colors.size(); ++i) {
        const auto& rgb = gif.palette.at(gif.indices[i]);
        const std::uint32_t color = bitmap.colors[i];
        if (rgb[0] != (color & 0xFF) || rgb[1] != ((color >> 8) & 0xFF) || rgb[2] != (color >> 16))
            std::abort();
    }
    return 0;
}
