#include "PeResources.h"

namespace pe {

const char* ErrorText(Error error) {
    switch (error) {
    case Error::none:
        return "ok";
    case Error::notExecutable:
        return "not an executable (no MZ header)";
    case Error::badHeaders:
        return "damaged or incomplete PE headers";
    case Error::noResources:
        return "the executable has no resources";
    case Error::badDirectory:
        return "damaged resource directory";
    case Error::notFound:
        return "resource not found";
    }
    return "unknown error";
}

namespace {

// Bounds-checked little-endian reads; offsets are 64-bit so that sums never wrap.
class Image {
public:
    Image(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= m_size && length <= m_size - offset;
    }
    std::uint32_t U16(std::uint64_t offset) const {
        return std::uint32_t(m_data[offset]) | std::uint32_t(m_data[offset + 1]) << 8;
    }
    std::uint32_t U32(std::uint64_t offset) const { return U16(offset) | U16(offset + 2) << 16; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

constexpr std::uint32_t kSubdirectory = 0x80000000;
constexpr std::uint32_t kNamedEntry = 0x80000000;
constexpr unsigned kMaxSections = 96;

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_image(data, size) {}

    Error Find(unsigned type, unsigned name, unsigned language, Resource& found) {
        if (!m_image.Has(0, 2) || m_image.U16(0) != 0x5A4D)
            return Error::notExecutable;
        Error error = ReadHeaders(found.pe32Plus);
        if (error != Error::none)
            return error;

        std::uint32_t typeDirectory, nameDirectory, dataEntry;
        if ((error = FindEntry(0, type, true, typeDirectory)) != Error::none ||
            (error = FindEntry(typeDirectory, name, true, nameDirectory)) != Error::none)
            return error;
        if ((error = FindLanguage(nameDirectory, language, dataEntry, found.language)) !=
            Error::none)
            return error;

        std::uint64_t entryOffset;
        if (!Map(std::uint64_t(m_resourceRva) + dataEntry, 16, entryOffset))
            return Error::badDirectory;
        const std::uint32_t dataRva = m_image.U32(entryOffset);
        const std::uint32_t dataSize = m_image.U32(entryOffset + 4);
        std::uint64_t dataOffset;
        if (!Map(dataRva, dataSize, dataOffset))
            return Error::badDirectory;
        found.offset = std::size_t(dataOffset);
        found.size = dataSize;
        return Error::none;
    }

private:
    Error ReadHeaders(bool& pe32Plus) {
        if (!m_image.Has(0x3C, 4))
            return Error::badHeaders;
        const std::uint64_t pe = m_image.U32(0x3C);
        // Signature "PE\0\0", then the file header (20 bytes).
        if (!m_image.Has(pe, 24) || m_image.U32(pe) != 0x00004550)
            return Error::badHeaders;
        const unsigned sectionCount = m_image.U16(pe + 6);
        const std::uint64_t optionalSize = m_image.U16(pe + 20);
        const std::uint64_t optional = pe + 24;
        if (sectionCount == 0 || sectionCount > kMaxSections || !m_image.Has(optional, 2) ||
            !m_image.Has(optional, optionalSize))
            return Error::badHeaders;
        // The data directories' place depends on the optional header's kind.
        std::uint64_t countField, directories;
        switch (m_image.U16(optional)) {
        case 0x10B:
            countField = 92;
            directories = 96;
            pe32Plus = false;
            break;
        case 0x20B:
            countField = 108;
            directories = 112;
            pe32Plus = true;
            break;
        default:
            return Error::badHeaders;
        }
        if (countField + 4 > optionalSize)
            return Error::badHeaders;
        const std::uint32_t directoryCount = m_image.U32(optional + countField);
        // The resource directory is data directory 2.
        if (directoryCount <= 2 || directories + 3 * 8 > optionalSize)
            return Error::noResources;
        m_resourceRva = m_image.U32(optional + directories + 2 * 8);
        if (m_resourceRva == 0 || m_image.U32(optional + directories + 2 * 8 + 4) == 0)
            return Error::noResources;

        const std::uint64_t table = optional + optionalSize;
        if (!m_image.Has(table, std::uint64_t(sectionCount) * 40))
            return Error::badHeaders;
        for (unsigned i = 0; i < sectionCount; ++i) {
            const std::uint64_t s = table + std::uint64_t(i) * 40;
            m_sections[i] = {m_image.U32(s + 12), m_image.U32(s + 16), m_image.U32(s + 20)};
        }
        m_sectionCount = sectionCount;
        return Error::none;
    }

    // File offset of `length` bytes at `rva`, if they lie in one section's data in the file.
    bool Map(std::uint64_t rva, std::uint64_t length, std::uint64_t& offset) const {
        for (unsigned i = 0; i < m_sectionCount; ++i) {
            const Section& s = m_sections[i];
            if (rva >= s.virtualAddress && rva - s.virtualAddress <= s.rawSize &&
                length <= s.rawSize - (rva - s.virtualAddress)) {
                offset = s.rawOffset + (rva - s.virtualAddress);
                return m_image.Has(offset, length);
            }
        }
        return false;
    }

    // Reads the directory at `directory` (relative to the resource directory's start) and
    // finds the entry with integer id `id`; it must lead to a subdirectory when `wantDirectory`
    // is set. `target` receives the relative offset it leads to.
    Error FindEntry(std::uint32_t directory, unsigned id, bool wantDirectory,
                    std::uint32_t& target) const {
        std::uint64_t header;
        if (!Map(std::uint64_t(m_resourceRva) + directory, 16, header))
            return Error::badDirectory;
        const std::uint64_t count =
            std::uint64_t(m_image.U16(header + 12)) + m_image.U16(header + 14);
        std::uint64_t entries;
        if (!Map(std::uint64_t(m_resourceRva) + directory + 16, count * 8, entries))
            return Error::badDirectory;
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint32_t entryName = m_image.U32(entries + i * 8);
            const std::uint32_t entryTarget = m_image.U32(entries + i * 8 + 4);
            if ((entryName & kNamedEntry) || entryName != id)
                continue;
            if (bool(entryTarget & kSubdirectory) != wantDirectory)
                return Error::badDirectory;
            target = entryTarget & ~kSubdirectory;
            return Error::none;
        }
        return Error::notFound;
    }

    Error FindLanguage(std::uint32_t directory, unsigned language, std::uint32_t& dataEntry,
                       unsigned& found) const {
        const Error error = FindEntry(directory, language, false, dataEntry);
        if (error == Error::none)
            found = language;
        if (error != Error::notFound)
            return error;
        // Not in the wanted language: the first version listed.
        std::uint64_t header, entry;
        if (!Map(std::uint64_t(m_resourceRva) + directory, 16, header) ||
            m_image.U16(header + 12) + m_image.U16(header + 14) == 0)
            return Error::badDirectory;
        if (!Map(std::uint64_t(m_resourceRva) + directory + 16, 8, entry))
            return Error::badDirectory;
        const std::uint32_t target = m_image.U32(entry + 4);
        if (target & kSubdirectory)
            return Error::badDirectory;
        dataEntry = target;
        found = m_image.U32(entry) & 0xFFFF;
        return Error::none;
    }

    Image m_image;
    Section m_sections[kMaxSections] = {};
    unsigned m_sectionCount = 0;
    std::uint32_t m_resourceRva = 0;
};

} // namespace

bool LooksLikeExecutable(const std::uint8_t* image, std::size_t size) {
    return size >= 2 && image[0] == 'M' && image[1] == 'Z';
}

Error FindResourceData(const std::uint8_t* image, std::size_t size, unsigned type, unsigned name,
                       unsigned language, Resource& found) {
    found = Resource();
    return Reader(image, size).Find(type, name, language, found);
}

} // namespace pe
