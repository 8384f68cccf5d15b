#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

// A block of bytes that line views point into; it never moves once made.
struct TextBlock {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
};

// The ordered lines of a document. Each line is a view into a block the store owns: a whole
// file read at once is adopted as one block, and single lines are copied into pooled chunks,
// so a million lines cost little more than the file itself plus one view each. Storage of
// replaced or removed lines is given back when the store is cleared.
class LineStore {
public:
    std::size_t size() const { return m_lines.size(); }
    bool empty() const { return m_lines.empty(); }
    std::string_view operator[](std::size_t index) const { return m_lines[index]; }
    const std::vector<std::string_view>& lines() const { return m_lines; }

    void clear();
    void pushBack(std::string_view text);
    void insert(std::size_t index, std::string_view text);
    void replace(std::size_t index, std::string_view text);
    void erase(std::size_t index);
    // Appends lines that point into `block`, taking the block over without copying.
    void appendAdopted(TextBlock block, const std::vector<std::string_view>& lines);

private:
    std::string_view store(std::string_view text);

    std::vector<std::string_view> m_lines;
    std::vector<TextBlock> m_blocks;
    char* m_chunkFree = nullptr;
    std::size_t m_chunkLeft = 0;
};
