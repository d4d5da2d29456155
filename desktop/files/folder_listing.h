// SPDX-License-Identifier: GPL-3.0-or-later
// The names of one folder's entries as read, in NaturalOrder: their exact
// bytes and sort keys in two blocks of memory, so that a folder of 100,000
// files costs three allocations rather than one string per name, and a name
// is decoded (FileNameCodec) only when it is asked for.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace crunchwise {

class FolderListing {
public:
    FolderListing() = default;

    // Makes room for names of about `bytes` bytes in all, so that adding
    // them copies nothing; memory not used is never touched.
    void reserve(std::size_t bytes);
    // Adds an entry named by the host bytes `name` (not empty, no "/", no
    // NUL). Call sort() once all are added.
    void add(std::string_view name);
    // Puts the entries into NaturalOrder; equal keys go by the names' bytes.
    void sort();

    qsizetype size() const { return qsizetype(entries_.size()); }
    bool empty() const { return entries_.empty(); }

    // The exact bytes of entry `index` (0 <= index < size()).
    QByteArrayView bytes(qsizetype index) const {
        const Entry& entry = entries_[std::size_t(index)];
        return QByteArrayView(names_.data() + entry.name, entry.nameLength);
    }
    // Entry `index` decoded by FileNameCodec (0 <= index < size()).
    QString name(qsizetype index) const;
    // Every entry decoded, in order.
    std::vector<QString> names() const;

    // The index of the entry with exactly the bytes `name`; -1 if none.
    qsizetype indexOf(QByteArrayView name) const;

    // Compares entry `i` of `a` with entry `j` of `b` in the listing's order:
    // negative, 0 (the same name) or positive.
    static int compare(const FolderListing& a, qsizetype i, const FolderListing& b, qsizetype j);

    // True if both hold the same names in the same order.
    bool sameNames(const FolderListing& other) const;

private:
    struct Entry {
        std::uint32_t name;
        std::uint32_t nameLength;
        std::uint32_t key;
        std::uint32_t keyLength;
    };
    struct SortItem {
        std::uint64_t chunk; // key bytes after the shared beginning
        std::uint32_t index;
    };
    std::size_t sharedKeyBytes() const;
    static void radixSort(std::vector<SortItem>& items);
    std::string_view keyOf(const Entry& entry) const {
        return std::string_view(keys_).substr(entry.key, entry.keyLength);
    }
    std::string_view nameOf(const Entry& entry) const {
        return std::string_view(names_).substr(entry.name, entry.nameLength);
    }

    std::string names_;
    std::string keys_;
    std::vector<Entry> entries_;
};

} // namespace crunchwise
