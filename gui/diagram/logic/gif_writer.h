#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A GIF 87a writer: a palette collected from a bitmap, the bitmap as palette indices, and the
// indices compressed with the variable-code-width LZW of the GIF standard in data sub-blocks.
// Palettes of 2, 16 or 256 entries, one or more images per file, no extension blocks.

class EIndexOutOfBounds : public std::runtime_error {
public:
    EIndexOutOfBounds() : std::runtime_error("Dynamic array index out of bounds") {}
};
class ENotEnoughMemory : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EGifException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// N bytes addressed 1..N.
class TBigByteArray {
public:
    explicit TBigByteArray(std::int32_t size);
    // A copy of the bytes (clone): allocated without clearing first.
    TBigByteArray(const TBigByteArray& other);
    TBigByteArray& operator=(const TBigByteArray&) = delete;
    std::uint8_t get(std::int32_t index) const;
    void set(std::int32_t index, std::uint8_t value);
    std::int32_t size() const { return m_size; }
    const std::uint8_t* data() const { return m_data.get(); }

private:
    std::unique_ptr<std::uint8_t[]> m_data;
    std::int32_t m_size;
};

// width x height bytes, addressed by column 1..width and row 1..height, row by row.
class TByteArray2D {
public:
    TByteArray2D(std::int32_t width, std::int32_t height);
    std::uint8_t get(std::int32_t column, std::int32_t row) const;
    void set(std::int32_t column, std::int32_t row, std::uint8_t value);
    std::unique_ptr<TByteArray2D> clone() const;
    std::int32_t width() const { return m_width; }
    std::int32_t height() const { return m_height; }
    // The bytes row by row (element (1, 1) first).
    const std::uint8_t* data() const { return m_bytes.data(); }

private:
    std::int32_t m_width;
    std::int32_t m_height;
    TBigByteArray m_bytes;
};

// 256 entries of red, green, blue and the number of colours in use.
struct TColorTable {
    std::array<std::array<std::uint8_t, 3>, 256> entries{};
    std::int32_t count = 0;
    // The default contents for 2 (black, white), 16 (the standard colours) or 256 (a grey
    // ramp) colours; any other count only sets the count.
    static TColorTable withDefaults(std::int32_t count);
};

// The LZW string table: codes first free .. next code - 1 name strings (prefix code + suffix).
class TCodeTable {
public:
    // A table for codes of `minCodeSize` bits per pixel, cleared to `minCodeSize` + 1 bits.
    explicit TCodeTable(std::uint8_t minCodeSize);
    void Clear(std::uint8_t codeWidth);
    void AddEntry(std::uint16_t prefix, std::uint16_t suffix);
    // The code of the string `current` + `pixel`, when the table holds it.
    bool IsInTable(std::uint16_t current, std::uint16_t pixel, std::uint16_t& found) const;

    std::uint8_t codeWidth() const { return m_codeWidth; }
    bool full() const { return m_full; }
    std::uint16_t firstFree() const { return m_firstFree; }
    std::uint16_t nextCode() const { return m_nextCode; }

private:
    // Every (prefix, suffix) pair is in the table at most once, so a hash index finds the same
    // code as searching the entries in order. A slot holds the pair (20 bits) and its code
    // (12 bits); all ones marks an empty slot (the pair of code 4095 and pixel 255 never gets
    // a code of its own).
    static constexpr std::size_t kSlotBits = 13;
    static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    static std::uint32_t keyOf(std::uint16_t prefix, std::uint16_t suffix) {
        return static_cast<std::uint32_t>(prefix) << 8 | suffix;
    }
    static std::size_t slotOf(std::uint32_t key) { return (key * 2654435761u) >> (32 - kSlotBits); }

    // Written before they are read: no initial values needed.
    std::array<std::uint16_t, 4097> m_suffix;
    std::array<std::uint16_t, 4097> m_prefix;
    std::array<std::uint32_t, kSlots> m_slots;
    std::uint8_t m_minCodeSize;
    std::uint8_t m_codeWidth = 3;
    bool m_full = false;
    std::uint16_t m_firstFree = 6;
    std::uint16_t m_nextCode = 6;
};

// The compressed bytes, cut into blocks of at most 255 as the file writes them: every block but
// the last is full, so the bytes are kept in one run and the blocks are its 255-byte pieces.
class TByteBuffer {
public:
    void add(std::uint8_t byte) { m_bytes.push_back(byte); }
    void reserve(std::size_t bytes) { m_bytes.reserve(bytes); }
    void flush() {}
    std::size_t total() const { return m_bytes.size(); }
    std::size_t blockCount() const { return (m_bytes.size() + 254) / 255; }
    // Block i (0-based): its bytes and their number.
    const std::uint8_t* block(std::size_t i) const { return m_bytes.data() + i * 255; }
    std::size_t blockSize(std::size_t i) const {
        return std::min<std::size_t>(255, m_bytes.size() - i * 255);
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Packs codes least significant bit first.
class TEncodedBytes {
public:
    void AppendCode(std::uint32_t code, std::uint8_t width);
    // Appends the last code and the partly filled byte, then flushes the buffer.
    void Finish(std::uint32_t code, std::uint8_t width);
    TByteBuffer Value;

private:
    std::uint32_t m_accumulator = 0;
    std::uint8_t m_pending = 0;
};

class TGifFile;

class TGifSubImage {
public:
    TGifSubImage(std::int32_t colorCount, const TByteArray2D& pixels);
    // Compresses the pixels into `compressed`.
    void encode();

    std::uint8_t minCodeSize = 2;
    TByteBuffer compressed;
    bool interlaced = false;
    bool localColorTablePresent = false;
    std::uint8_t bitsPerPixel = 1;
    TColorTable colorTable;
    std::unique_ptr<TByteArray2D> pixels;
    std::uint8_t descriptorFlags() const;
};

class TGifFile {
public:
    TGifFile();
    void AddSubImage(const TColorTable& table, const TByteArray2D& pixels);
    // Writes the file as every save does (writeFileSafely): never a partial file under the name,
    // links followed, an existing file's permissions kept, a read-only file refused; failures
    // throw std::runtime_error naming the file.
    void SaveToFile(const std::string& path);
    // The file's bytes as SaveToFile writes them.
    std::string bytes();

    std::uint16_t screenWidth() const { return m_width; }
    std::uint16_t screenHeight() const { return m_height; }
    std::uint8_t screenFlags() const;
    const TColorTable& globalColorTable() const { return m_global; }
    std::size_t imageCount() const { return m_images.size(); }

private:
    void checkColorCount() const;

    std::uint16_t m_width = 0;
    std::uint16_t m_height = 0;
    bool m_globalPresent = true;
    TColorTable m_global = TColorTable::withDefaults(2);
    std::uint8_t m_colorBits = 1;
    std::vector<std::unique_ptr<TGifSubImage>> m_images;
};

// A bitmap as the writer takes it: colours as 0x00BBGGRR, row by row from the top.
struct GifBitmap {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> colors;
};

// Collects the palette in first-seen order (index 0 is the top-left pixel's colour) and the
// indices; the count is rounded up to 2, 16 or 256. More than 256 colours throw EGifException.
std::unique_ptr<TByteArray2D> BitmapToIndices(const GifBitmap& bitmap, TColorTable& table);

// Progress while encoding: a process-wide flag and hook taking a fraction 0..1 (a fraction
// above 0.9999 ends the progress display). The hook is called only while the flag is set.
void setGifShowProgress(bool show);
bool gifShowProgress();
void setGifProgressHook(std::function<void(double)> hook);
void reportGifProgress(double fraction);
