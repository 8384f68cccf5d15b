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
    bool endCodeWidened = false;  // decodeStrictly: the end code came right after a wider width
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

// Decodes the first image's LZW stream reading each code at exactly the width the GIF format
// defines (one bit wider once the table's next free code reaches 2^width), failing where the
// stream runs out of bits before its end code or holds a code not yet defined.
inline DecodedGif decodeStrictly(const std::string& bytes) {
    DecodedGif decoded;
    auto byte = [&bytes](std::size_t at) {
        return at < bytes.size() ? static_cast<std::uint8_t>(bytes[at]) : std::uint8_t{0};
    };
    std::size_t at = 13;
    if (byte(10) & 0x80) at += 3u << ((byte(10) & 7) + 1);
    if (byte(at) != ',') {
        decoded.error = "no image descriptor";
        return decoded;
    }
    decoded.width = byte(at + 5) | byte(at + 6) << 8;
    decoded.height = byte(at + 7) | byte(at + 8) << 8;
    if (byte(at + 9) & 0x80) at += 3u << ((byte(at + 9) & 7) + 1);
    const int minCodeSize = byte(at + 10);
    std::string data;
    for (at += 11; at < bytes.size() && byte(at) != 0; at += byte(at) + 1u)
        data.append(bytes, at + 1, byte(at));

    std::size_t bit = 0;
    auto read = [&](int width, int& code) {
        if (bit + static_cast<std::size_t>(width) > data.size() * 8) return false;
        code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= (static_cast<std::uint8_t>(data[bit / 8]) >> (bit % 8) & 1) << i;
        return true;
    };
    const int clear = 1 << minCodeSize;
    std::vector<std::vector<std::uint8_t>> table(4096);
    for (int i = 0; i < clear; ++i)
        table[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i)};
    int width = minCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    bool widened = false;
    for (int code = 0;;) {
        if (!read(width, code)) {
            decoded.error = "ran out of bits before the end code";
            return decoded;
        }
        if (code == clear) {
            width = minCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == clear + 1) {
            decoded.endCodeWidened = widened;
            break;
        }
        widened = false;
        if (code > next || (code == next && (previous < 0 || next >= 4096))) {
            decoded.error = "code " + std::to_string(code) + " not yet defined";
            return decoded;
        }
        if (previous >= 0 && next < 4096) {
            std::vector<std::uint8_t> entry = table[static_cast<std::size_t>(previous)];
            entry.push_back(code < next ? table[static_cast<std::size_t>(code)][0] : entry[0]);
            table[static_cast<std::size_t>(next++)] = std::move(entry);
            if (next == 1 << width && width < 12) {
                ++width;
                widened = true;
            }
        }
        const auto& string = table[static_cast<std::size_t>(code)];
        decoded.indices.insert(decoded.indices.end(), string.begin(), string.end());
        previous = code;
    }
    decoded.ok = decoded.indices.size() == static_cast<std::size_t>(decoded.width) * decoded.height;
    if (!decoded.ok) decoded.error = "wrong pixel count";
    return decoded;
}
