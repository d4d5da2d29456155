// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/files/folder_listing.h"

#include "common/file_name_codec.h"
#include "desktop/files/natural_order.h"
#include "failures/runtime_error.h"

#include <algorithm>
#include <array>
#include <limits>

namespace crunchwise {

namespace {

// Up to eight bytes of `key` from `at`, as one number that orders as the
// bytes do; missing bytes count as 0, below every byte a key can hold there.
std::uint64_t chunkOf(std::string_view key, std::size_t at) {
    std::uint64_t chunk = 0;
    for (std::size_t i = at; i < at + 8; ++i)
        chunk = chunk << 8 | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return chunk;
}

int compareBytes(std::string_view a, std::string_view b) {
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

} // namespace

void FolderListing::reserve(std::size_t bytes) {
    names_.reserve(bytes);
    keys_.reserve(bytes + bytes / 2);
    entries_.reserve(bytes / 16);
}

void FolderListing::add(std::string_view name) {
    const std::size_t nameAt = names_.size();
    const std::size_t keyAt = keys_.size();
    names_.append(name);
    NaturalOrder::appendKey(keys_, name);
    // Positions are 32-bit: billions of bytes of names are beyond any folder.
    constexpr std::size_t most = std::numeric_limits<std::uint32_t>::max();
    if (names_.size() > most || keys_.size() > most)
        raiseRuntimeError(ErrorNumber::OutOfMemory);
    entries_.push_back({std::uint32_t(nameAt), std::uint32_t(name.size()), std::uint32_t(keyAt),
                        std::uint32_t(keys_.size() - keyAt)});
}

// Names often share a long beginning ("Setup_File1", "Setup_File2", ...):
// entries are ordered by the eight key bytes after the beginning that all
// keys share, as one number, with a radix sort; only entries whose eight
// bytes tie compare whole keys.
void FolderListing::sort() {
    if (entries_.size() < 2)
        return;
    const std::size_t shared = sharedKeyBytes();
    std::vector<SortItem> items(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i)
        items[i] = {chunkOf(keyOf(entries_[i]), shared), std::uint32_t(i)};
    radixSort(items);
    const auto less = [&](const SortItem& a, const SortItem& b) {
        return compare(*this, a.index, *this, b.index) < 0;
    };
    for (auto run = items.begin(); run != items.end();) {
        const auto end = std::find_if(
            run, items.end(), [&](const SortItem& item) { return item.chunk != run->chunk; });
        if (end - run > 1)
            std::sort(run, end, less);
        run = end;
    }
    std::vector<Entry> sorted;
    sorted.reserve(entries_.size());
    for (const SortItem& item : items)
        sorted.push_back(entries_[item.index]);
    entries_.swap(sorted);
}

std::size_t FolderListing::sharedKeyBytes() const {
    const std::string_view first = keyOf(entries_.front());
    std::size_t shared = first.size();
    for (const Entry& entry : entries_) {
        const std::string_view key = keyOf(entry);
        const auto limit = std::min(shared, key.size());
        shared = std::size_t(
            std::mismatch(first.begin(), first.begin() + limit, key.begin()).first - first.begin());
    }
    return shared;
}

// Least significant byte first, one stable pass per byte; a byte that is
// the same in every entry needs no pass.
void FolderListing::radixSort(std::vector<SortItem>& items) {
    std::vector<SortItem> scratch(items.size());
    for (unsigned shift = 0; shift < 64; shift += 8) {
        std::array<std::size_t, 257> starts{};
        for (const SortItem& item : items)
            ++starts[((item.chunk >> shift) & 0xFF) + 1];
        if (starts[((items.front().chunk >> shift) & 0xFF) + 1] == items.size())
            continue;
        for (std::size_t b = 1; b < starts.size(); ++b)
            starts[b] += starts[b - 1];
        for (const SortItem& item : items)
            scratch[starts[(item.chunk >> shift) & 0xFF]++] = item;
        items.swap(scratch);
    }
}

QString FolderListing::name(qsizetype index) const {
    const QByteArrayView name = bytes(index);
    return FileNameCodec::decode(name.data(), name.size());
}

std::vector<QString> FolderListing::names() const {
    std::vector<QString> all;
    all.reserve(entries_.size());
    for (qsizetype i = 0; i < size(); ++i)
        all.push_back(name(i));
    return all;
}

qsizetype FolderListing::indexOf(QByteArrayView name) const {
    const std::string_view wanted(name.data(), std::size_t(name.size()));
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (nameOf(entries_[i]) == wanted)
            return qsizetype(i);
    return -1;
}

int FolderListing::compare(const FolderListing& a, qsizetype i, const FolderListing& b,
                           qsizetype j) {
    const Entry& x = a.entries_[std::size_t(i)];
    const Entry& y = b.entries_[std::size_t(j)];
    const int byKey = compareBytes(a.keyOf(x), b.keyOf(y));
    return byKey != 0 ? byKey : compareBytes(a.nameOf(x), b.nameOf(y));
}

bool FolderListing::sameNames(const FolderListing& other) const {
    if (entries_.size() != other.entries_.size())
        return false;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (nameOf(entries_[i]) != other.nameOf(other.entries_[i]))
            return false;
    return true;
}

} // namespace crunchwise
