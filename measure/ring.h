// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A bounded history: keeps the newest 2^capacityBits items, numbered from the
// first ever pushed, and forgets the oldest as new ones come. Memory is taken
// in blocks as the history fills, so a short run costs little and a long one
// never copies what it holds (a growing array would move megabytes at once,
// inside the receive path).

#include <QtGlobal>

#include <memory>
#include <vector>

namespace measure {

template <class T> class Ring
{
public:
    Ring(int capacityBits, int blockBits)
        : m_capacity(qint64(1) << capacityBits), m_blockBits(qMin(blockBits, capacityBits)),
          m_blocks(size_t(1) << (capacityBits - m_blockBits))
    {
    }

    void push(const T &item)
    {
        const qint64 slot = m_end & (m_capacity - 1);
        std::unique_ptr<T[]> &block = m_blocks[size_t(slot >> m_blockBits)];
        if (!block)
            block.reset(new T[size_t(1) << m_blockBits]);
        block[size_t(slot & blockMask())] = item;
        ++m_end;
        if (m_end - m_begin > m_capacity)
            ++m_begin;
    }

    // The number of the oldest item kept, and one past the newest.
    qint64 begin() const { return m_begin; }
    qint64 end() const { return m_end; }
    bool isEmpty() const { return m_begin == m_end; }
    qint64 capacity() const { return m_capacity; }

    // `number` from begin() to end() - 1.
    const T &at(qint64 number) const
    {
        const qint64 slot = number & (m_capacity - 1);
        return m_blocks[size_t(slot >> m_blockBits)][size_t(slot & blockMask())];
    }
    T &last() { return const_cast<T &>(at(m_end - 1)); }

    // Forgets everything and gives the memory back; numbering starts again.
    void clear()
    {
        for (std::unique_ptr<T[]> &block : m_blocks)
            block.reset();
        m_begin = m_end = 0;
    }

    qint64 allocatedBytes() const
    {
        qint64 blocks = 0;
        for (const std::unique_ptr<T[]> &block : m_blocks)
            blocks += block ? 1 : 0;
        return blocks * (qint64(1) << m_blockBits) * qint64(sizeof(T));
    }

private:
    qint64 blockMask() const { return (qint64(1) << m_blockBits) - 1; }

    qint64 m_capacity;
    int m_blockBits;
    std::vector<std::unique_ptr<T[]>> m_blocks;
    qint64 m_begin = 0;
    qint64 m_end = 0;
};

} // namespace measure
