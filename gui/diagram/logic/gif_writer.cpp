#include "gif_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "text_file.h"

namespace {

bool g_showProgress = false;
std::function<void(double)> g_progressHook;

// Colours 0x00BBGGRR as the file stores them: red, green, blue.
std::array<std::uint8_t, 3> rgbOf(std::uint32_t color) {
    return {static_cast<std::uint8_t>(color & 0xFF), static_cast<std::uint8_t>((color >> 8) & 0xFF),
            static_cast<std::uint8_t>((color >> 16) & 0xFF)};
}

void putWord(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void putTable(std::string& out, const TColorTable& table) {
    for (std::int32_t i = 0; i < table.count; ++i)
        for (std::uint8_t byte : table.entries[static_cast<std::size_t>(i)])
            out += static_cast<char>(byte);
}

std::uint8_t bitsForCount(std::int32_t count) {
    switch (count) {
        case 2:
            return 1;
        case 4:
            return 2;
        case 8:
            return 3;
        case 16:
            return 4;
        case 256:
            return 8;
        default:
            throw EGifException("Number of colors must be 2, 4, 8, 16 or 256");
    }
}

}  // namespace

void setGifShowProgress(bool show) {
    g_showProgress = show;
}

bool gifShowProgress() {
    return g_showProgress;
}

void setGifProgressHook(std::function<void(double)> hook) {
    g_progressHook = std::move(hook);
}

void reportGifProgress(double fraction) {
    if (g_showProgress && g_progressHook) g_progressHook(fraction);
}

TBigByteArray::TBigByteArray(std::int32_t size) : m_size(size) {
    if (size < 0) throw EIndexOutOfBounds();
    if (size > 0) {
        m_data.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]());
        if (!m_data)
            throw ENotEnoughMemory(
                "error in TBigByteArray.create: Not enough contiguous memory available\r\n"
                " requested memory block: " +
                std::to_string(size) + " bytes");
    }
}

TBigByteArray::TBigByteArray(const TBigByteArray& other) : m_size(other.m_size) {
    if (m_size > 0) {
        m_data.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(m_size)]);
        if (!m_data)
            throw ENotEnoughMemory(
                "error in TBigByteArray.create: Not enough contiguous memory available\r\n"
                " requested memory block: " +
                std::to_string(m_size) + " bytes");
        std::memcpy(m_data.get(), other.m_data.get(), static_cast<std::size_t>(m_size));
    }
}

std::uint8_t TBigByteArray::get(std::int32_t index) const {
    if (index < 1 || index > m_size) throw EIndexOutOfBounds();
    return m_data[static_cast<std::size_t>(index - 1)];
}

void TBigByteArray::set(std::int32_t index, std::uint8_t value) {
    if (index < 1 || index > m_size) throw EIndexOutOfBounds();
    m_data[static_cast<std::size_t>(index - 1)] = value;
}

namespace {

std::int32_t checkedArea(std::int32_t width, std::int32_t height) {
    if (width < 0 || height < 0) throw EIndexOutOfBounds();
    const std::int64_t area = static_cast<std::int64_t>(width) * height;
    if (area > INT32_MAX)
        throw ENotEnoughMemory(
            "error in TBigByteArray.create: Not enough contiguous memory available\r\n"
            " requested memory block: " +
            std::to_string(area) + " bytes");
    return static_cast<std::int32_t>(area);
}

}  // namespace

TByteArray2D::TByteArray2D(std::int32_t width, std::int32_t height)
    : m_width(width), m_height(height), m_bytes(checkedArea(width, height)) {}

std::uint8_t TByteArray2D::get(std::int32_t column, std::int32_t row) const {
    if (column < 1 || column > m_width || row < 1 || row > m_height) throw EIndexOutOfBounds();
    return m_bytes.get(column + (row - 1) * m_width);
}

void TByteArray2D::set(std::int32_t column, std::int32_t row, std::uint8_t value) {
    if (column < 1 || column > m_width || row < 1 || row > m_height) throw EIndexOutOfBounds();
    m_bytes.set(column + (row - 1) * m_width, value);
}

std::unique_ptr<TByteArray2D> TByteArray2D::clone() const {
    return std::make_unique<TByteArray2D>(*this);
}

TColorTable TColorTable::withDefaults(std::int32_t count) {
    TColorTable table;
    table.count = count;
    if (count == 2) {
        table.entries[1] = {255, 255, 255};
    } else if (count == 16) {
        static constexpr std::uint8_t kStandard[16][3] = {
            {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
            {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {128, 128, 128},
            {192, 192, 192}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
            {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
        for (int i = 0; i < 16; ++i)
            table.entries[static_cast<std::size_t>(i)] = {kStandard[i][0], kStandard[i][1],
                                                          kStandard[i][2]};
    } else if (count == 256) {
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<std::uint8_t>(i);
            table.entries[static_cast<std::size_t>(i)] = {v, v, v};
        }
    }
    return table;
}

TCodeTable::TCodeTable(std::uint8_t minCodeSize) : m_minCodeSize(minCodeSize) {
    Clear(static_cast<std::uint8_t>(minCodeSize + 1));
}

void TCodeTable::Clear(std::uint8_t codeWidth) {
    // The prefix and suffix of a code are written when it is added, before anything reads
    // them: only the index is emptied.
    m_slots.fill(kEmpty);
    m_codeWidth = codeWidth;
    m_full = false;
    m_firstFree = static_cast<std::uint16_t>((1u << m_minCodeSize) + 2);
    m_nextCode = m_firstFree;
}

void TCodeTable::AddEntry(std::uint16_t prefix, std::uint16_t suffix) {
    const std::uint16_t code = m_nextCode++;
    m_prefix[code] = prefix;
    m_suffix[code] = suffix;
    const std::uint32_t key = keyOf(prefix, suffix);
    std::size_t slot = slotOf(key);
    while (m_slots[slot] != kEmpty)
        slot = (slot + 1) & (kSlots - 1);
    m_slots[slot] = key << 12 | code;
    if (code == 4095)
        m_full = true;
    else if (code == (1u << m_codeWidth))
        ++m_codeWidth;
}

bool TCodeTable::IsInTable(std::uint16_t current, std::uint16_t pixel, std::uint16_t& found) const {
    const std::uint32_t key = keyOf(current, pixel);
    for (std::size_t slot = slotOf(key);; slot = (slot + 1) & (kSlots - 1)) {
        const std::uint32_t value = m_slots[slot];
        if (value == kEmpty) return false;
        if (value >> 12 == key) {
            found = static_cast<std::uint16_t>(value & 0xFFF);
            return true;
        }
    }
}

void TEncodedBytes::AppendCode(std::uint32_t code, std::uint8_t width) {
    m_accumulator |= code << m_pending;
    m_pending = static_cast<std::uint8_t>(m_pending + width);
    while (m_pending > 7) {
        Value.add(static_cast<std::uint8_t>(m_accumulator & 0xFF));
        m_accumulator >>= 8;
        m_pending = static_cast<std::uint8_t>(m_pending - 8);
    }
}

void TEncodedBytes::Finish(std::uint32_t code, std::uint8_t width) {
    AppendCode(code, width);
    if (m_pending > 0) {
        Value.add(static_cast<std::uint8_t>(m_accumulator & 0xFF));
        m_accumulator = 0;
        m_pending = 0;
    }
    Value.flush();
}

TGifSubImage::TGifSubImage(std::int32_t colorCount, const TByteArray2D& source)
    : bitsPerPixel(bitsForCount(colorCount)),
      colorTable(TColorTable::withDefaults(colorCount)),
      pixels(source.clone()) {
    minCodeSize = bitsPerPixel == 1 ? 2 : bitsPerPixel;
}

std::uint8_t TGifSubImage::descriptorFlags() const {
    std::uint8_t flags = 0;
    if (localColorTablePresent) flags |= static_cast<std::uint8_t>(0x80 | (bitsPerPixel - 1));
    if (interlaced) flags |= 0x40;
    return flags;
}

void TGifSubImage::encode() {
    const std::int32_t width = pixels->width();
    const std::int32_t height = pixels->height();
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // The indices as one run, rows in interlace order when the image is interlaced.
    std::vector<std::uint8_t> interlacedRows;
    const std::uint8_t* run = pixels->data();
    if (interlaced) {
        interlacedRows.reserve(count);
        for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (std::int32_t row = start; row < height; row += step)
                interlacedRows.insert(interlacedRows.end(),
                                      run + static_cast<std::size_t>(row) * width,
                                      run + static_cast<std::size_t>(row + 1) * width);
        run = interlacedRows.data();
    }
    compressed = TByteBuffer();
    TEncodedBytes out;
    out.Value.reserve(count / 4 + 16);
    const auto startWidth = static_cast<std::uint8_t>(minCodeSize + 1);
    TCodeTable table(minCodeSize);
    const std::uint16_t clearCode = static_cast<std::uint16_t>(1u << minCodeSize);
    const std::uint16_t endCode = static_cast<std::uint16_t>(clearCode + 1);
    // An index beyond the colour table would be written as a code of its own and break the
    // stream. Only the pixels that start a string need the check: every other one is found in
    // the table, whose entries end in pixels that started a string.
    const std::int32_t colors = colorTable.count;
    auto checked = [colors](std::uint8_t index) {
        if (index >= colors)
            throw EGifException("Pixel index " + std::to_string(index) + " beyond a table of " +
                                std::to_string(colors) + " colors");
        return static_cast<std::uint16_t>(index);
    };
    out.AppendCode(clearCode, table.codeWidth());
    if (count > 0) {
        out.AppendCode(checked(run[0]), table.codeWidth());
        std::uint16_t previous = run[0];
        std::size_t position = 1;
        reportGifProgress(0.0);
        while (position < count) {
            const std::uint16_t k = checked(run[position++]);
            table.AddEntry(previous, k);
            std::uint16_t current = k;
            for (std::uint16_t found;
                 position < count && table.IsInTable(current, run[position], found); ++position)
                current = found;
            out.AppendCode(current, table.codeWidth());
            previous = current;
            if (table.full() && position < count) {
                out.AppendCode(clearCode, 12);
                table.Clear(startWidth);
                out.AppendCode(checked(run[position]), table.codeWidth());
                previous = run[position];
                ++position;
                reportGifProgress(static_cast<double>(position) / static_cast<double>(count));
            }
        }
    }
    // A decoder adds the entry of the last code only when it reads it, one step after this
    // table; when that entry fills the width (its code is 2^width - 1) the decoder reads the end
    // code one bit wider.
    const bool decoderWidens = !table.full() && table.nextCode() == 1u << table.codeWidth();
    out.Finish(endCode, static_cast<std::uint8_t>(table.codeWidth() + (decoderWidens ? 1 : 0)));
    compressed = std::move(out.Value);
    reportGifProgress(1.0);
}

TGifFile::TGifFile() = default;

void TGifFile::AddSubImage(const TColorTable& table, const TByteArray2D& pixels) {
    if (pixels.width() > 0xFFFF || pixels.height() > 0xFFFF)
        throw EGifException("Image too large for a GIF file (at most 65535 x 65535 pixels)");
    auto image = std::make_unique<TGifSubImage>(table.count, pixels);
    if (!m_images.empty()) {
        image->colorTable = table;
        image->localColorTablePresent = true;
    } else {
        m_global = table;
    }
    while ((1 << m_colorBits) < m_global.count && m_colorBits < 8)
        ++m_colorBits;
    m_width = std::max(m_width, static_cast<std::uint16_t>(pixels.width()));
    m_height = std::max(m_height, static_cast<std::uint16_t>(pixels.height()));
    m_images.push_back(std::move(image));
    checkColorCount();
}

void TGifFile::checkColorCount() const {
    if (m_global.count != 2 && m_global.count != 16 && m_global.count != 256)
        throw EGifException("unexpected number of colors");
}

std::uint8_t TGifFile::screenFlags() const {
    checkColorCount();
    const int resolution = m_global.count == 2 ? 1 : m_global.count == 16 ? 4 : 8;
    return static_cast<std::uint8_t>((m_globalPresent ? 0x80 : 0) + (resolution - 1) * 16 +
                                     (m_colorBits - 1));
}

std::string TGifFile::bytes() {
    std::string out;
    out.reserve(1024);
    out = "GIF87a";
    putWord(out, m_width);
    putWord(out, m_height);
    out += static_cast<char>(screenFlags());
    out += '\0';  // background colour index
    out += '\0';  // pixel aspect ratio
    if (m_globalPresent) putTable(out, m_global);
    for (const auto& image : m_images) {
        out += ',';
        image->encode();
        putWord(out, 0);
        putWord(out, 0);
        putWord(out, static_cast<std::uint16_t>(image->pixels->width()));
        putWord(out, static_cast<std::uint16_t>(image->pixels->height()));
        out += static_cast<char>(image->descriptorFlags());
        if (image->localColorTablePresent) putTable(out, image->colorTable);
        out += static_cast<char>(image->minCodeSize);
        const TByteBuffer& data = image->compressed;
        out.reserve(out.size() + data.total() + data.blockCount() + 2);
        for (std::size_t i = 0; i < data.blockCount(); ++i) {
            out += static_cast<char>(data.blockSize(i));
            out.append(reinterpret_cast<const char*>(data.block(i)), data.blockSize(i));
        }
        out += '\0';
    }
    out += ';';
    return out;
}

void TGifFile::SaveToFile(const std::string& path) {
    const WriteResult written = writeBytesSafely(path, bytes());
    if (!written.ok) throw std::runtime_error("Can't write " + path + ": " + written.error);
}

std::unique_ptr<TByteArray2D> BitmapToIndices(const GifBitmap& bitmap, TColorTable& table) {
    table = TColorTable{};
    auto pixels = std::make_unique<TByteArray2D>(bitmap.width, bitmap.height);
    if (bitmap.colors.size() < static_cast<std::size_t>(pixels->width()) * pixels->height())
        throw EIndexOutOfBounds();
    reportGifProgress(0.0);
    auto* out = const_cast<std::uint8_t*>(pixels->data());
    std::size_t at = 0;
    // Neighbouring pixels mostly share their colour: the last one found is tried first (the
    // palette and the indices are the same as with the search alone).
    std::uint32_t lastColor = 0;
    std::uint8_t lastIndex = 0;
    bool haveLast = false;
    for (std::int32_t y = 0; y < bitmap.height; ++y) {
        for (std::int32_t x = 0; x < bitmap.width; ++x, ++at) {
            const std::uint32_t color = bitmap.colors[at] & 0xFFFFFFu;
            if (haveLast && color == lastColor) {
                out[at] = lastIndex;
                continue;
            }
            const auto rgb = rgbOf(color);
            std::int32_t index = 0;
            while (index < table.count && table.entries[static_cast<std::size_t>(index)] != rgb)
                ++index;
            if (index == table.count) {
                if (table.count == 256)
                    throw EGifException("More than 256 colors: the image cannot be a GIF file");
                table.entries[static_cast<std::size_t>(table.count++)] = rgb;
            }
            out[at] = static_cast<std::uint8_t>(index);
            lastColor = color;
            lastIndex = out[at];
            haveLast = true;
        }
        reportGifProgress(static_cast<double>(y + 1) / static_cast<double>(bitmap.height));
    }
    table.count = table.count <= 2 ? 2 : table.count <= 16 ? 16 : 256;
    return pixels;
}
