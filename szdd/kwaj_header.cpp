// SPDX-License-Identifier: GPL-3.0-or-later
// The KWAJ header: the fixed part and the optional fields its flags announce.
//
// The reader follows the independent readers where they agree and refuses
// what they refuse: a name or extension field needs two bytes left in the
// file even when it is empty, and one without its NUL within 9 (name) or 4
// (extension) bytes is refused. It refuses a few more things they let
// through by seeking past the end: fields cut short, a data offset past the
// end of the file.
#include "szdd/kwaj.h"

#include <algorithm>

namespace szdd {

namespace {

// Reads the header's fields in order; every read checks what is left.
class FieldReader {
public:
    explicit FieldReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool has(std::size_t n) const { return bytes_.size() - at_ >= n; }
    std::size_t left() const { return bytes_.size() - at_; }
    std::uint32_t number(int size) {
        std::uint32_t value = 0;
        for (int i = 0; i < size; ++i)
            value |= static_cast<std::uint32_t>(bytes_[at_ + i]) << (8 * i);
        at_ += static_cast<std::size_t>(size);
        return value;
    }
    std::span<const std::uint8_t> take(std::size_t n) {
        const auto piece = bytes_.subspan(at_, n);
        at_ += n;
        return piece;
    }
    // A 16-bit length and that many bytes; nothing when cut short.
    std::optional<std::span<const std::uint8_t>> sized() {
        if (!has(2))
            return std::nullopt;
        const std::uint32_t size = number(2);
        if (!has(size))
            return std::nullopt;
        return take(size);
    }

    // A NUL-ended string of at most `maxLength` bytes.
    Status string(std::size_t maxLength, std::optional<std::string>& out) {
        const std::size_t window = std::min(left(), maxLength + 1);
        if (window < 2)
            return Status::headerTruncated;
        const auto piece = bytes_.subspan(at_, window);
        const auto nul = std::find(piece.begin(), piece.end(), 0);
        if (nul == piece.end())
            return window == maxLength + 1 ? Status::badName : Status::headerTruncated;
        out.emplace(piece.begin(), nul);
        at_ += out->size() + 1;
        return Status::ok;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

Status readOptionalFields(FieldReader& in, KwajHeader& h) {
    if (h.flags & kwajFlag::length) {
        if (!in.has(4))
            return Status::headerTruncated;
        h.length = in.number(4);
    }
    if (h.flags & kwajFlag::unknown2) {
        if (!in.has(2))
            return Status::headerTruncated;
        in.take(2);
    }
    if ((h.flags & kwajFlag::unknownBlock) && !in.sized())
        return Status::headerTruncated;
    if (h.flags & kwajFlag::name) {
        if (const Status s = in.string(kKwajMaxName, h.name); s != Status::ok)
            return s;
    }
    if (h.flags & kwajFlag::extension) {
        if (const Status s = in.string(kKwajMaxExtension, h.extension); s != Status::ok)
            return s;
    }
    if (h.flags & kwajFlag::extraText) {
        const auto text = in.sized();
        if (!text)
            return Status::headerTruncated;
        h.extraText.emplace(text->begin(), text->end());
    }
    return Status::ok;
}

void put(std::vector<std::uint8_t>& out, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

bool fits(const std::optional<std::string>& field, std::size_t maxLength) {
    return !field || (field->size() <= maxLength && field->find('\0') == std::string::npos);
}

bool present(const std::optional<std::string>& field) {
    return field && !field->empty();
}

} // namespace

Status readKwajHeader(std::span<const std::uint8_t> start, std::uint64_t fileSize,
                      KwajHeader& header) {
    const auto readable = static_cast<std::size_t>(std::min<std::uint64_t>(start.size(), fileSize));
    const auto bytes = start.first(readable);
    if (detectFormat(bytes) != Format::kwaj)
        return Status::notKwaj;
    if (bytes.size() < kKwajFixedHeaderSize)
        return Status::headerTruncated;
    FieldReader in(bytes.subspan(8));
    KwajHeader h;
    const std::uint32_t method = in.number(2);
    h.dataOffset = static_cast<std::uint16_t>(in.number(2));
    h.flags = static_cast<std::uint16_t>(in.number(2));
    if (const Status s = readOptionalFields(in, h); s != Status::ok)
        return s;
    if (method > kKwajLastMethod)
        return Status::unknownMethod;
    if (h.dataOffset > fileSize)
        return Status::badDataOffset;
    h.method = static_cast<KwajMethod>(method);
    header = std::move(h);
    return Status::ok;
}

Status writeKwajHeader(const KwajHeader& header, std::vector<std::uint8_t>& out) {
    if (!fits(header.name, kKwajMaxName) || !fits(header.extension, kKwajMaxExtension))
        return Status::badName;
    std::uint16_t flags = 0;
    std::vector<std::uint8_t> fields;
    if (header.length) {
        flags |= kwajFlag::length;
        put(fields, *header.length, 4);
    }
    for (const auto& [field, flag] : {std::pair{&header.name, kwajFlag::name},
                                      std::pair{&header.extension, kwajFlag::extension}}) {
        if (present(*field)) {
            flags |= flag;
            fields.insert(fields.end(), field->value().begin(), field->value().end());
            fields.push_back(0);
        }
    }
    if (header.extraText) {
        if (header.extraText->size() > 0xFFFF)
            return Status::tooLarge;
        flags |= kwajFlag::extraText;
        put(fields, static_cast<std::uint32_t>(header.extraText->size()), 2);
        fields.insert(fields.end(), header.extraText->begin(), header.extraText->end());
    }
    const std::size_t size = kKwajFixedHeaderSize + fields.size();
    if (size > 0xFFFF)
        return Status::tooLarge;
    out.insert(out.end(), std::begin(kKwajMagic), std::end(kKwajMagic));
    put(out, static_cast<std::uint16_t>(header.method), 2);
    put(out, static_cast<std::uint32_t>(size), 2);
    put(out, flags, 2);
    out.insert(out.end(), fields.begin(), fields.end());
    return Status::ok;
}

} // namespace szdd
