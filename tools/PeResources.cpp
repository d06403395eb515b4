#include "PeResources.h"

#include <cstring>

namespace pe {

namespace {

constexpr std::uint32_t kHighBit = 0x80000000;
// Type, name and language: the loader looks three levels deep, no more.
constexpr int kLevels = 3;
// Bounds against directories that point many times at the same bytes.
constexpr std::size_t kMaxNodes = 65536;

class TreeReader {
public:
    TreeReader(const std::uint8_t* image, std::size_t size, const Headers& headers,
               std::uint32_t rva)
        : m_image(image), m_size(size), m_headers(headers), m_rva(rva) {}

    bool ReadDirectory(std::uint32_t at, int level, ResourceDirectory& directory) {
        std::size_t header, entries;
        if (++m_nodes > kMaxNodes || !Map(at, 16, header))
            return false;
        std::memcpy(directory.header, m_image + header, 12);
        const std::uint64_t count = Get16(m_image + header + 12) + Get16(m_image + header + 14);
        if (!Map(std::uint64_t(at) + 16, 8 * count, entries))
            return false;
        directory.entries.resize(std::size_t(count));
        for (std::size_t i = 0; i < count; ++i) {
            ResourceEntry& entry = directory.entries[i];
            const std::uint32_t name = Get32(m_image + entries + 8 * i);
            const std::uint32_t target = Get32(m_image + entries + 8 * i + 4);
            entry.named = (name & kHighBit) != 0;
            if (entry.named && !ReadName(name & ~kHighBit, entry.name))
                return false;
            entry.id = entry.named ? 0 : name;
            const bool isDirectory = (target & kHighBit) != 0;
            if (isDirectory != (level + 1 < kLevels))
                return false;
            if (isDirectory) {
                entry.subdirectory.resize(1);
                if (!ReadDirectory(target & ~kHighBit, level + 1, entry.subdirectory[0]))
                    return false;
            } else if (!ReadData(target, entry)) {
                return false;
            }
        }
        return true;
    }

private:
    // `length` bytes at `at`, relative to the directory's start, within one section's data.
    bool Map(std::uint64_t at, std::uint64_t length, std::size_t& offset) const {
        return MapAddress(m_headers, m_size, m_rva + at, length, offset);
    }

    bool ReadName(std::uint32_t at, std::vector<std::uint16_t>& name) const {
        std::size_t length, units;
        if (!Map(at, 2, length))
            return false;
        const std::uint32_t count = Get16(m_image + length);
        if (!Map(std::uint64_t(at) + 2, 2 * std::uint64_t(count), units))
            return false;
        for (std::uint32_t i = 0; i < count; ++i)
            name.push_back(std::uint16_t(Get16(m_image + units + 2 * i)));
        return true;
    }

    bool ReadData(std::uint32_t at, ResourceEntry& entry) {
        std::size_t field, data;
        if (++m_nodes > kMaxNodes || !Map(at, 16, field))
            return false;
        const std::uint32_t rva = Get32(m_image + field);
        entry.size = Get32(m_image + field + 4);
        entry.codePage = Get32(m_image + field + 8);
        // Resources may share data, but not so often that a copy of each outgrows the image.
        m_data += entry.size;
        if (m_data > 4 * std::uint64_t(m_size) ||
            !MapAddress(m_headers, m_size, rva, entry.size, data))
            return false;
        entry.data = m_image + data;
        return true;
    }

    const std::uint8_t* m_image;
    std::size_t m_size;
    const Headers& m_headers;
    std::uint64_t m_rva;
    std::size_t m_nodes = 0;
    std::uint64_t m_data = 0;
};

// The entry of `directory` with integer id `id`, or null.
const ResourceEntry* FindEntry(const ResourceDirectory& directory, std::uint32_t id) {
    for (const ResourceEntry& entry : directory.entries)
        if (!entry.named && entry.id == id)
            return &entry;
    return nullptr;
}

} // namespace

Error ReadResourceTree(const std::uint8_t* image, std::size_t size, const Headers& headers,
                       std::uint32_t rva, ResourceDirectory& root) {
    root = ResourceDirectory();
    if (!TreeReader(image, size, headers, rva).ReadDirectory(0, 0, root))
        return Error::badDirectory;
    return Error::none;
}

Error FindResourceData(const std::uint8_t* image, std::size_t size, const Headers& headers,
                       unsigned type, unsigned name, unsigned language, Resource& found) {
    found = Resource();
    std::uint32_t rva, length;
    DataDirectory(image, headers, kResourceDirectory, rva, length);
    if (rva == 0 || length == 0)
        return Error::noResources;
    ResourceDirectory root;
    if (const Error error = ReadResourceTree(image, size, headers, rva, root))
        return error;

    const ResourceEntry* typeEntry = FindEntry(root, type);
    const ResourceEntry* nameEntry =
        typeEntry ? FindEntry(typeEntry->subdirectory[0], name) : nullptr;
    if (!nameEntry)
        return Error::notFound;
    const ResourceDirectory& versions = nameEntry->subdirectory[0];
    if (versions.entries.empty())
        return Error::badDirectory;
    // Not in the wanted language: the first version listed.
    const ResourceEntry* version = FindEntry(versions, language);
    if (!version)
        version = &versions.entries.front();
    found.offset = std::size_t(version->data - image);
    found.size = version->size;
    found.language = version->id & 0xFFFF;
    return Error::none;
}

} // namespace pe
