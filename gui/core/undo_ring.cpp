#include "undo_ring.h"

#include <utility>

int UndoRing::effectiveSize(int configured) {
    if (configured <= 0) return 0;
    if (configured >= 10 && configured <= 10000) return configured;
    return 100;
}

UndoRing::UndoRing(int configuredSize) {
    const int entries = effectiveSize(configuredSize);
    if (entries > 0) m_slots.resize(static_cast<std::size_t>(entries) + 1);
}

int UndoRing::size() const {
    if (!enabled()) return 0;
    return static_cast<int>((m_write + m_slots.size() - m_oldest) % m_slots.size());
}

bool UndoRing::push(int index, std::string text, UndoKind kind) {
    if (!enabled()) return false;
    m_slots[m_write] = UndoEntry{index, std::move(text), kind};
    m_write = next(m_write);
    if (m_write == m_oldest) {
        // The ring was full: the oldest entry is overwritten next and so is given up now.
        m_slots[m_oldest] = UndoEntry{};
        m_oldest = next(m_oldest);
    }
    return true;
}

std::optional<UndoEntry> UndoRing::pop() {
    if (!enabled() || empty()) return std::nullopt;
    m_write = (m_write + m_slots.size() - 1) % m_slots.size();
    UndoEntry entry = std::move(m_slots[m_write]);
    m_slots[m_write] = UndoEntry{};
    return entry;
}

void UndoRing::clear() {
    for (auto& slot : m_slots) slot = UndoEntry{};
    m_write = m_oldest;
}
