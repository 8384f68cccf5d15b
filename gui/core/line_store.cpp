#include "line_store.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {
constexpr std::size_t kChunkSize = 1 << 20;
}

void LineStore::clear() {
    m_lines.clear();
    m_lines.shrink_to_fit();
    m_blocks.clear();
    m_chunkFree = nullptr;
    m_chunkLeft = 0;
}

std::string_view LineStore::store(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > m_chunkLeft) {
        if (text.size() >= kChunkSize / 4) {
            // A long line gets a block of its own so that chunks are not wasted.
            TextBlock block{std::make_unique<char[]>(text.size()), text.size()};
            std::memcpy(block.bytes.get(), text.data(), text.size());
            const std::string_view view(block.bytes.get(), text.size());
            m_blocks.push_back(std::move(block));
            return view;
        }
        m_blocks.push_back(TextBlock{std::make_unique<char[]>(kChunkSize), kChunkSize});
        m_chunkFree = m_blocks.back().bytes.get();
        m_chunkLeft = kChunkSize;
    }
    std::memcpy(m_chunkFree, text.data(), text.size());
    const std::string_view view(m_chunkFree, text.size());
    m_chunkFree += text.size();
    m_chunkLeft -= text.size();
    return view;
}

void LineStore::pushBack(std::string_view text) { m_lines.push_back(store(text)); }

void LineStore::insert(std::size_t index, std::string_view text) {
    const auto view = store(text);
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(index), view);
}

void LineStore::replace(std::size_t index, std::string_view text) { m_lines[index] = store(text); }

void LineStore::erase(std::size_t index) {
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(index));
}

void LineStore::appendAdopted(TextBlock block, const std::vector<std::string_view>& lines) {
    m_lines.insert(m_lines.end(), lines.begin(), lines.end());
    if (block.bytes) m_blocks.push_back(std::move(block));
}
