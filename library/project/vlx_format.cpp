// SPDX-License-Identifier: MIT
// Project file (.vlx) grammar. Numbers are big-endian; texts are in the
// legacy code page, without terminator, after a one-byte length.
//
//   file        = flash-image [eeprom-image] footer
//   footer      = identifier
//                 u8 n, n bytes code-file-name
//                 u32 flash-length, u16 flash-checksum
//                 [u32 eeprom-length, u16 eeprom-checksum]      ; family 0x301
//                 u16 part-code
//                 u8 layout-flag                                ; 1 for families 0/1, else 0
//                 u8 s, s bytes option-block
//                 u8 auto-steps, u8 isp-code-source
//                 reserved (4 bytes for families 0/1, else 2), 2 reserved bytes
//                 u8 m, m bytes isp-file-name
//                 [u8 trim-frequency, 24 reserved bytes]         ; families 0/1
//                 trailer
//   identifier  = "Vorlane. Scriba" (families 0/1) | "vorlane. VLX 3.0" (0x300/0x301)
//   trailer     = u16 project-tag, 6 bytes save-time (year-2000, month, day,
//                 hour, minute, second), u16 family-code, u8 major, u8 minor,
//                 u8 tool-marker (0x11; 5 from the sibling tool),
//                 u16 footer-checksum, u16 footer-size
//
// footer-checksum is the 16-bit sum of every footer byte except its own two;
// footer-size counts the whole footer, itself included. The eeprom image is
// present exactly when the layout has the EEPROM fields. Families 1, 0x300
// and 0x301 extend the option block: customer string at s-48..s-33, project
// id at s-16..s-13, marker 5 at s-12.
#include "project/vlx_format.h"

namespace scriba8::vlx {
namespace {

constexpr std::string_view kIdentifierA = "Vorlane. Scriba";
constexpr std::string_view kIdentifierB = "vorlane. VLX 3.0";
constexpr std::size_t kTrimSectionSize = 25;
constexpr std::size_t kSecondReservedSize = 2;

class Writer {
  public:
    void u8(std::uint8_t value) { bytes_.push_back(value); }
    void u16(std::uint16_t value) {
        u8(static_cast<std::uint8_t>(value >> 8));
        u8(static_cast<std::uint8_t>(value));
    }
    void u32(std::uint32_t value) {
        u16(static_cast<std::uint16_t>(value >> 16));
        u16(static_cast<std::uint16_t>(value));
    }
    void bytes(std::span<const std::uint8_t> data) {
        bytes_.insert(bytes_.end(), data.begin(), data.end());
    }
    void text(std::string_view data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
    void zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    std::vector<std::uint8_t>& result() { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
};

// A cursor that refuses to move past its data; once it fails, every read
// returns zero and ok() stays false.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}

    bool ok() const { return ok_; }

    std::span<const std::uint8_t> take(std::size_t count) {
        if (!ok_ || count > data_.size() - pos_) {
            ok_ = false;
            return {};
        }
        auto piece = data_.subspan(pos_, count);
        pos_ += count;
        return piece;
    }
    void skip(std::size_t count) { take(count); }
    std::uint8_t u8() {
        auto piece = take(1);
        return piece.empty() ? 0 : piece[0];
    }
    std::uint16_t u16() {
        const std::uint16_t high = u8();
        return static_cast<std::uint16_t>(high << 8 | u8());
    }
    std::uint32_t u32() {
        const std::uint32_t high = u16();
        return high << 16 | u16();
    }
    std::string text() {
        auto piece = take(u8());
        return std::string(piece.begin(), piece.end());
    }

  private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

} // namespace

std::optional<Layout> layoutFor(std::uint16_t familyCode) {
    switch (familyCode) {
    case 0:
    case 1:
        return Layout{kIdentifierA, false, 4, true, familyCode == 1, 1, 77};
    case 0x300:
        return Layout{kIdentifierB, false, 2, false, true, 0, 51};
    case 0x301:
        return Layout{kIdentifierB, true, 2, false, true, 0, 57};
    default:
        return std::nullopt;
    }
}

std::optional<std::size_t> optionBlockSize(std::uint16_t familyCode,
                                           std::uint32_t optionByteCount) {
    switch (familyCode) {
    case 0:
        return optionByteCount;
    case 1:
        return 64;
    case 0x301:
        return 112;
    default:
        return std::nullopt;
    }
}

std::uint16_t sum16(std::span<const std::uint8_t> bytes, std::uint16_t start) {
    std::uint32_t sum = start;
    for (std::uint8_t b : bytes)
        sum += b;
    return static_cast<std::uint16_t>(sum);
}

std::uint16_t storedFooterSize(std::uint8_t high, std::uint8_t low) {
    return static_cast<std::uint16_t>(high << 8 | low);
}

std::optional<std::vector<std::uint8_t>> encodeFooter(const Footer& footer) {
    const auto layout = layoutFor(footer.familyCode);
    if (!layout || footer.codeFileName.size() > kMaxTextBytes ||
        footer.ispFileName.size() > kMaxTextBytes ||
        footer.optionBlock.size() > kMaxOptionBlockBytes) {
        return std::nullopt;
    }

    Writer w;
    w.text(layout->identifier);
    w.u8(static_cast<std::uint8_t>(footer.codeFileName.size()));
    w.text(footer.codeFileName);
    w.u32(footer.flashLength);
    w.u16(footer.flashChecksum);
    if (layout->eepromFields) {
        w.u32(footer.eepromLength);
        w.u16(footer.eepromChecksum);
    }
    w.u16(footer.partCode);
    w.u8(layout->layoutFlag);
    w.u8(static_cast<std::uint8_t>(footer.optionBlock.size()));
    w.bytes(footer.optionBlock);
    w.u8(footer.autoSteps);
    w.u8(footer.ispCodeSource);
    w.zeros(layout->firstReservedSize + kSecondReservedSize);
    w.u8(static_cast<std::uint8_t>(footer.ispFileName.size()));
    w.text(footer.ispFileName);
    if (layout->trimSection) {
        w.u8(footer.trimFrequency);
        w.zeros(kTrimSectionSize - 1);
    }
    w.u16(footer.projectTag);
    w.bytes(footer.saveTime);
    w.u16(footer.familyCode);
    w.u16(footer.toolVersion);
    w.u8(footer.toolMarker);
    w.u16(0); // checksum, filled below
    auto& bytes = w.result();
    const std::size_t size = bytes.size() + 2;
    w.u16(static_cast<std::uint16_t>(size));

    const std::uint16_t checksum = sum16(bytes);
    bytes[size - 4] = static_cast<std::uint8_t>(checksum >> 8);
    bytes[size - 3] = static_cast<std::uint8_t>(checksum);
    return std::move(bytes);
}

DecodeError decodeFooter(std::span<const std::uint8_t> footer, std::uint64_t codeRegionSize,
                         Footer& out) {
    const std::size_t n = footer.size();
    if (n < kTrailerSize || storedFooterSize(footer[n - 2], footer[n - 1]) != n)
        return DecodeError::Malformed;

    const std::uint16_t storedChecksum = storedFooterSize(footer[n - 4], footer[n - 3]);
    const auto withoutChecksum =
        static_cast<std::uint16_t>(sum16(footer) - footer[n - 4] - footer[n - 3]);
    if (storedChecksum != withoutChecksum) return DecodeError::Malformed;

    Footer f;
    Reader trailer(footer.subspan(n - kTrailerSize));
    f.projectTag = trailer.u16();
    for (auto& b : f.saveTime)
        b = trailer.u8();
    f.familyCode = trailer.u16();
    f.toolVersion = trailer.u16();
    f.toolMarker = trailer.u8();
    if (f.toolMarker != kToolMarker && f.toolMarker != kSiblingToolMarker)
        return DecodeError::UnknownTool;

    const auto layout = layoutFor(f.familyCode);
    if (!layout || n < layout->fixedSize) return DecodeError::Malformed;

    Reader r(footer.first(n - kTrailerSize));
    r.skip(layout->identifier.size());
    f.codeFileName = r.text();
    f.flashLength = r.u32();
    f.flashChecksum = r.u16();
    if (layout->eepromFields) {
        f.eepromLength = r.u32();
        f.eepromChecksum = r.u16();
    }
    f.partCode = r.u16();
    r.skip(1); // layout flag: implied by the family code
    auto block = r.take(r.u8());
    f.optionBlock.assign(block.begin(), block.end());
    f.autoSteps = r.u8();
    f.ispCodeSource = r.u8();
    r.skip(layout->firstReservedSize + kSecondReservedSize);
    f.ispFileName = r.text();
    if (layout->trimSection) {
        f.trimFrequency = r.u8();
        r.skip(kTrimSectionSize - 1);
    }
    if (!r.ok()) return DecodeError::Malformed;

    const std::uint64_t imageBytes = std::uint64_t{f.flashLength} + f.eepromLength;
    if (imageBytes != codeRegionSize) return DecodeError::Malformed;

    out = std::move(f);
    return DecodeError::None;
}

} // namespace scriba8::vlx
