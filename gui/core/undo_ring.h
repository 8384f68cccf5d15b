#pragma once

#include <optional>
#include <string>
#include <vector>

enum class UndoKind { Replaced = 0, Deleted = 1 };

struct UndoEntry {
    int index = -1;
    std::string text;
    UndoKind kind = UndoKind::Deleted;
};

// A circular list of n + 1 slots holding at most n entries; pushing onto a full ring drops the
// oldest entry. A ring built with n <= 0 is disabled and every push fails.
class UndoRing {
public:
    // The number of entries a configured size gives: n <= 0 disables undo, 10..10000 is taken
    // as is and any other positive value becomes 100.
    static int effectiveSize(int configured);

    explicit UndoRing(int configuredSize = 100);

    bool enabled() const { return !m_slots.empty(); }
    int capacity() const { return enabled() ? static_cast<int>(m_slots.size()) - 1 : 0; }
    bool empty() const { return m_write == m_oldest; }
    int size() const;

    bool push(int index, std::string text, UndoKind kind);
    // The most recent entry, removed from the ring; nothing when the ring is empty.
    std::optional<UndoEntry> pop();
    void clear();

private:
    std::size_t next(std::size_t slot) const { return (slot + 1) % m_slots.size(); }

    std::vector<UndoEntry> m_slots;
    std::size_t m_write = 0;
    std::size_t m_oldest = 0;
};
