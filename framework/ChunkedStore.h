#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

// Storage for a table that grows to millions of rows while a window stays
// responsive: values live in fixed-size blocks, so growing never copies what
// is stored, never needs twice the memory for a moment, and never makes the
// system map a large block at once (each of which would stall the window).

// A sequence of plain values in blocks of 2^BlockBits.
template <typename T, int BlockBits = 14>
class ChunkedVector {
public:
    static constexpr std::size_t kBlock = std::size_t(1) << BlockBits;

    void push_back(const T& value)
    {
        if (m_size == m_blocks.size() * kBlock)
            m_blocks.push_back(std::make_unique<T[]>(kBlock));
        (*this)[m_size++] = value;
    }
    void pop_back() { --m_size; }
    T& operator[](std::size_t i) { return m_blocks[i >> BlockBits][i & (kBlock - 1)]; }
    const T& operator[](std::size_t i) const { return m_blocks[i >> BlockBits][i & (kBlock - 1)]; }
    std::size_t size() const { return m_size; }
    void clear()
    {
        m_blocks.clear();
        m_size = 0;
    }

private:
    std::vector<std::unique_ptr<T[]>> m_blocks;
    std::size_t m_size = 0;
};

// Bytes of texts, addressed by a 32-bit offset. A text never spans two
// blocks: one that does not fit the rest of a block starts the next.
class TextArena {
public:
    static constexpr int kBlockBits = 18; // 256 KiB
    static constexpr std::uint32_t kBlockBytes = std::uint32_t(1) << kBlockBits;
    static constexpr std::size_t kMaxBlocks = (std::size_t(1) << 32) >> kBlockBits;

    // Stores size bytes (at most one block) and answers their offset; throws
    // std::length_error when 4 GiB are used.
    std::uint32_t add(const char* bytes, std::size_t size)
    {
        if (m_blocks.empty() || m_used + size > kBlockBytes) {
            if (m_blocks.size() == kMaxBlocks || size > kBlockBytes)
                throw std::length_error("text storage is full");
            m_blocks.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
            m_used = 0;
        }
        const auto offset = static_cast<std::uint32_t>(((m_blocks.size() - 1) << kBlockBits) | m_used);
        if (size)
            std::memcpy(m_blocks.back().get() + m_used, bytes, size);
        m_used += static_cast<std::uint32_t>(size);
        return offset;
    }
    const char* at(std::uint32_t offset) const
    {
        return m_blocks.empty() ? "" : m_blocks[offset >> kBlockBits].get() + (offset & (kBlockBytes - 1));
    }
    void clear()
    {
        m_blocks.clear();
        m_used = 0;
    }

private:
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::uint32_t m_used = 0;
};
