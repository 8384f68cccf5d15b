#pragma once

// Decodes one image of a GIF file (the first unless told) with giflib, an independent decoder, for
// comparing what the writer put in with what a reader gets out.
#include <gif_lib.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct DecodedGif {
    bool ok = false;
    std::string error;
    int width = 0;
    int height = 0;
    std::vector<std::array<std::uint8_t, 3>> palette;  // the colour table the image uses
    std::vector<std::uint8_t> indices;                 // row by row
};

inline DecodedGif decodeWithGiflib(const std::string& bytes, int imageIndex = 0) {
    struct Source {
        const std::string* bytes;
        std::size_t at;
    } source{&bytes, 0};
    auto read = [](GifFileType* gif, GifByteType* out, int length) -> int {
        auto* s = static_cast<Source*>(gif->UserData);
        const std::size_t n =
            std::min<std::size_t>(static_cast<std::size_t>(length), s->bytes->size() - s->at);
        std::memcpy(out, s->bytes->data() + s->at, n);
        s->at += n;
        return static_cast<int>(n);
    };
    DecodedGif decoded;
    int error = 0;
    GifFileType* gif = DGifOpen(&source, read, &error);
    if (!gif) {
        decoded.error = GifErrorString(error);
        return decoded;
    }
    if (DGifSlurp(gif) != GIF_OK || gif->ImageCount <= imageIndex) {
        decoded.error = GifErrorString(gif->Error);
        DGifCloseFile(gif, &error);
        return decoded;
    }
    const SavedImage& image = gif->SavedImages[imageIndex];
    decoded.width = image.ImageDesc.Width;
    decoded.height = image.ImageDesc.Height;
    const ColorMapObject* map =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    for (int i = 0; map && i < map->ColorCount; ++i)
        decoded.palette.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
    decoded.indices.assign(
        image.RasterBits,
        image.RasterBits + static_cast<std::size_t>(decoded.width) * decoded.height);
    decoded.ok = true;
    DGifCloseFile(gif, &error);
    return decoded;
}
