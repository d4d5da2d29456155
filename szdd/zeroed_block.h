// SPDX-License-Identifier: GPL-3.0-or-later
// Zeroed arrays of trivial types carved from one calloc'ed block. The system
// hands out a large block as untouched zero pages, so the tables are paid for
// only where they are used, and one block costs one allocation: a small input
// is compressed without first clearing the megabyte of tables that a large
// one needs.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>
#include <span>
#include <type_traits>

namespace szdd {

class ZeroedBlock {
public:
    // The bytes that an array of `count` T takes in a block.
    template <typename T> static constexpr std::size_t roomFor(std::size_t count) {
        return count * sizeof(T) + alignof(std::max_align_t);
    }

    // A block of `bytes` zero bytes. Throws std::bad_alloc when there is no
    // room.
    explicit ZeroedBlock(std::size_t bytes)
        : data_(static_cast<std::byte*>(std::calloc(bytes, 1))), size_(bytes) {
        if (data_ == nullptr && bytes != 0)
            throw std::bad_alloc();
    }
    ~ZeroedBlock() { std::free(data_); }
    ZeroedBlock(const ZeroedBlock&) = delete;
    ZeroedBlock& operator=(const ZeroedBlock&) = delete;

    // The next `count` zeroed T of the block (room for them was asked with
    // roomFor). Throws std::bad_alloc past the block's end.
    template <typename T> std::span<T> take(std::size_t count) {
        static_assert(std::is_trivial_v<T>);
        used_ = (used_ + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
                alignof(std::max_align_t);
        if (used_ + count * sizeof(T) > size_)
            throw std::bad_alloc();
        T* const first = reinterpret_cast<T*>(data_ + used_);
        used_ += count * sizeof(T);
        return {first, count};
    }

private:
    std::byte* data_;
    std::size_t size_;
    std::size_t used_ = 0;
};

} // namespace szdd
