#include "PeImage.h"

#include <cstring>

namespace pe {

namespace {

bool Has(std::size_t size, std::uint64_t offset, std::uint64_t length) {
    return offset <= size && length <= size - offset;
}

} // namespace

Error::Error(Kind kind) : m_kind(kind) {
    switch (kind) {
    case notExecutable:
        m_text = "not an executable (no MZ header)";
        break;
    case badHeaders:
        m_text = "damaged or incomplete PE headers";
        break;
    case noResources:
        m_text = "the executable has no resources";
        break;
    case badDirectory:
        m_text = "damaged resource directory";
        break;
    case notFound:
        m_text = "resource not found";
        break;
    default:
        break;
    }
}

bool LooksLikeExecutable(const std::uint8_t* image, std::size_t size) {
    return size >= 2 && image[0] == 'M' && image[1] == 'Z';
}

Error ReadHeaders(const std::uint8_t* image, std::size_t size, Headers& h) {
    h = Headers();
    if (!LooksLikeExecutable(image, size))
        return Error::notExecutable;
    if (!Has(size, 0, 0x40))
        return Error::badHeaders;
    const std::uint64_t pe = Get32(image + 0x3C);
    if (!Has(size, pe, 24) || Get32(image + pe) != 0x00004550)
        return Error::badHeaders;
    h.fileHeader = std::size_t(pe + 4);
    const unsigned count = Get16(image + h.fileHeader + 2);
    h.optionalSize = Get16(image + h.fileHeader + 16);
    h.optional = h.fileHeader + 20;
    if (count == 0 || count > kMaxSections || !Has(size, h.optional, h.optionalSize) ||
        h.optionalSize < 2)
        return Error::badHeaders;
    std::size_t countField;
    switch (Get16(image + h.optional)) {
    case 0x10B:
        countField = 92;
        h.pe32Plus = false;
        break;
    case 0x20B:
        countField = 108;
        h.pe32Plus = true;
        break;
    default:
        return Error::badHeaders;
    }
    if (countField + 4 > h.optionalSize)
        return Error::badHeaders;
    h.directories = h.optional + countField + 4;
    h.directoryCount = Get32(image + h.optional + countField);
    if (h.directoryCount > 16 ||
        countField + 4 + 8 * std::uint64_t(h.directoryCount) > h.optionalSize)
        return Error::badHeaders;
    h.sectionAlignment = Get32(image + h.optional + 32);
    h.fileAlignment = Get32(image + h.optional + 36);
    h.sizeOfHeaders = Get32(image + h.optional + 60);

    const std::size_t table = h.SectionTable();
    if (!Has(size, table, 40 * std::uint64_t(count)))
        return Error::badHeaders;
    std::uint64_t nextAddress = 0;
    for (unsigned i = 0; i < count; ++i) {
        Section s;
        s.header = table + 40 * i;
        std::memcpy(s.name, image + s.header, 8);
        s.virtualSize = Get32(image + s.header + 8);
        s.virtualAddress = Get32(image + s.header + 12);
        s.rawSize = Get32(image + s.header + 16);
        s.rawOffset = Get32(image + s.header + 20);
        s.characteristics = Get32(image + s.header + 36);
        // Sections follow each other in address order without overlapping.
        const std::uint64_t span = s.virtualSize ? s.virtualSize : s.rawSize;
        const std::uint64_t end = std::uint64_t(s.virtualAddress) + span;
        if (s.virtualAddress < nextAddress || end > 0xFFFFFFFF)
            return Error::badHeaders;
        nextAddress = end;
        h.sections.push_back(s);
    }
    return Error::none;
}

void DataDirectory(const std::uint8_t* image, const Headers& h, unsigned index, std::uint32_t& rva,
                   std::uint32_t& size) {
    rva = size = 0;
    if (index < h.directoryCount) {
        rva = Get32(image + h.DirectoryField(index));
        size = Get32(image + h.DirectoryField(index) + 4);
    }
}

int SectionOf(const Headers& h, std::uint32_t rva) {
    for (std::size_t i = 0; i < h.sections.size(); ++i) {
        const Section& s = h.sections[i];
        const std::uint32_t span = s.virtualSize ? s.virtualSize : s.rawSize;
        if (rva >= s.virtualAddress && rva - s.virtualAddress < span)
            return int(i);
    }
    return -1;
}

bool MapAddress(const Headers& h, std::size_t fileSize, std::uint64_t rva, std::uint64_t length,
                std::size_t& offset) {
    const int i = rva > 0xFFFFFFFF ? -1 : SectionOf(h, std::uint32_t(rva));
    if (i < 0)
        return false;
    const Section& s = h.sections[std::size_t(i)];
    const std::uint64_t inSection = rva - s.virtualAddress;
    if (inSection > s.rawSize || length > s.rawSize - inSection ||
        !Has(fileSize, s.rawOffset + inSection, length))
        return false;
    offset = std::size_t(s.rawOffset + inSection);
    return true;
}

Error CheckExtent(const std::uint8_t* image, std::size_t size, const Headers& h) {
    if (h.sizeOfHeaders > size)
        return Error(Error::cutShort, "the file ends inside its headers");
    for (const Section& s : h.sections) {
        if (s.rawSize != 0 && !Has(size, s.rawOffset, s.rawSize))
            return Error(Error::cutShort,
                         "the file is cut short: section " + std::string(s.name) + " needs bytes " +
                             std::to_string(s.rawOffset) + " to " +
                             std::to_string(std::uint64_t(s.rawOffset) + s.rawSize) +
                             ", the file has " + std::to_string(size));
    }
    std::uint32_t offset, length;
    DataDirectory(image, h, kCertificateDirectory, offset, length);
    if (length != 0 && !Has(size, offset, length))
        return Error(Error::cutShort, "the file is cut short: its certificate table needs bytes " +
                                          std::to_string(offset) + " to " +
                                          std::to_string(std::uint64_t(offset) + length) +
                                          ", the file has " + std::to_string(size));
    return Error::none;
}

std::uint32_t Checksum(const std::uint8_t* image, std::size_t size, const Headers& h) {
    const std::size_t field = h.optional + Headers::kCheckSum;
    auto byte = [&](std::size_t i) -> std::uint32_t {
        return i >= size || (i >= field && i < field + 4) ? 0 : image[i];
    };
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < size; i += 2) {
        sum += byte(i) | byte(i + 1) << 8;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return std::uint32_t(sum + size);
}

} // namespace pe
