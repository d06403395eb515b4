#include "PeResourceWriter.h"

#include "PeImage.h"
#include "PeResources.h"

#include <algorithm>
#include <cstring>

namespace pe {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kHighBit = 0x80000000;

std::uint64_t AlignUp(std::uint64_t value, std::uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

bool PowerOfTwo(std::uint32_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

std::uint32_t Span(const Section& s) {
    return s.virtualSize ? s.virtualSize : s.rawSize;
}

// The entry with integer id `id`, added in id order after the named entries when missing.
ResourceEntry& IdEntry(ResourceDirectory& directory, std::uint32_t id, bool& added) {
    auto& entries = directory.entries;
    auto at = std::find_if(entries.begin(), entries.end(),
                           [&](const ResourceEntry& e) { return !e.named && e.id >= id; });
    added = at == entries.end() || at->id != id;
    if (added) {
        ResourceEntry entry;
        entry.id = id;
        at = entries.insert(at, entry);
    }
    return *at;
}

void Replace(ResourceDirectory& root, unsigned type, unsigned name, unsigned language,
             const Bytes& data) {
    bool added;
    ResourceEntry& typeEntry = IdEntry(root, type, added);
    if (added)
        typeEntry.subdirectory.resize(1);
    ResourceEntry& nameEntry = IdEntry(typeEntry.subdirectory[0], name, added);
    if (added)
        nameEntry.subdirectory.resize(1);
    ResourceEntry version;
    version.id = language;
    version.data = data.data();
    version.size = std::uint32_t(data.size());
    nameEntry.subdirectory[0].entries = {version};
}

// Lays the tree out as a resource section at `rva`: the directories level by level, then the
// names, the data entries, and the data, each resource's data on an eight-byte boundary.
Bytes Serialize(const ResourceDirectory& root, std::uint32_t rva) {
    std::vector<const ResourceDirectory*> directories{&root};
    for (std::size_t i = 0; i < directories.size(); ++i)
        for (const ResourceEntry& e : directories[i]->entries)
            if (!e.subdirectory.empty())
                directories.push_back(&e.subdirectory[0]);

    std::vector<std::uint32_t> directoryAt, nameAt, dataEntryAt, dataAt;
    std::uint64_t at = 0;
    for (const ResourceDirectory* d : directories) {
        directoryAt.push_back(std::uint32_t(at));
        at += 16 + 8 * d->entries.size();
    }
    for (const ResourceDirectory* d : directories)
        for (const ResourceEntry& e : d->entries)
            if (e.named) {
                nameAt.push_back(std::uint32_t(at));
                at += 2 + 2 * e.name.size();
            }
    at = AlignUp(at, 8);
    for (const ResourceDirectory* d : directories)
        for (const ResourceEntry& e : d->entries)
            if (e.subdirectory.empty()) {
                dataEntryAt.push_back(std::uint32_t(at));
                at += 16;
            }
    for (const ResourceDirectory* d : directories)
        for (const ResourceEntry& e : d->entries)
            if (e.subdirectory.empty()) {
                at = AlignUp(at, 8);
                dataAt.push_back(std::uint32_t(at));
                at += e.size;
            }

    Bytes out(std::size_t(at), 0);
    std::size_t nextDirectory = 1, nextName = 0, nextData = 0;
    for (std::size_t i = 0; i < directories.size(); ++i) {
        const ResourceDirectory& d = *directories[i];
        std::uint8_t* header = &out[directoryAt[i]];
        std::memcpy(header, d.header, 12);
        const auto named = std::count_if(d.entries.begin(), d.entries.end(),
                                         [](const ResourceEntry& e) { return e.named; });
        Put16(header + 12, std::uint32_t(named));
        Put16(header + 14, std::uint32_t(d.entries.size() - std::size_t(named)));
        for (std::size_t k = 0; k < d.entries.size(); ++k) {
            const ResourceEntry& e = d.entries[k];
            std::uint8_t* field = header + 16 + 8 * k;
            if (e.named) {
                const std::uint32_t nameOffset = nameAt[nextName++];
                Put32(field, kHighBit | nameOffset);
                Put16(&out[nameOffset], std::uint32_t(e.name.size()));
                for (std::size_t u = 0; u < e.name.size(); ++u)
                    Put16(&out[nameOffset + 2 + 2 * u], e.name[u]);
            } else {
                Put32(field, e.id);
            }
            if (!e.subdirectory.empty()) {
                Put32(field + 4, kHighBit | directoryAt[nextDirectory++]);
                continue;
            }
            const std::uint32_t entryOffset = dataEntryAt[nextData];
            const std::uint32_t dataOffset = dataAt[nextData++];
            Put32(field + 4, entryOffset);
            Put32(&out[entryOffset], rva + dataOffset);
            Put32(&out[entryOffset + 4], e.size);
            Put32(&out[entryOffset + 8], e.codePage);
            if (e.size != 0)
                std::memcpy(&out[dataOffset], e.data, e.size);
        }
    }
    return out;
}

// Where the resource section goes and what moves with it.
struct Plan {
    int section = -1;         // index of the resource section; -1 when one is added
    std::uint32_t rva = 0;    // its address
    std::size_t rawAt = 0;    // file offset of its data
    std::uint32_t rawOld = 0; // its data's old size in the file
    std::uint32_t spanOld = 0;
    std::uint32_t oldEnd = 0; // addresses at or above it belong to sections that move
};

class Writer {
public:
    explicit Writer(const Bytes& image) : m_image(image) {}

    const Error& GetError() const { return m_error; }

    bool Put(unsigned type, unsigned name, unsigned language, const Bytes& data, Bytes& out) {
        if ((m_error = ReadHeaders(m_image.data(), m_image.size(), m_headers)) ||
            (m_error = CheckExtent(m_image.data(), m_image.size(), m_headers)))
            return false;
        const Headers& h = m_headers;
        if (!PowerOfTwo(h.sectionAlignment) || !PowerOfTwo(h.fileAlignment) ||
            h.fileAlignment > h.sectionAlignment ||
            h.SectionTable() + 40 * h.sections.size() > h.sizeOfHeaders ||
            h.sections.front().virtualAddress < h.sizeOfHeaders)
            return Fail(Error::badHeaders);
        for (const Section& s : h.sections)
            if (s.rawSize != 0 && s.rawOffset < h.sizeOfHeaders)
                return Fail(std::string("section ") + s.name + " overlaps the headers");
        std::uint32_t rva, size;
        DataDirectory(m_image.data(), m_headers, kCertificateDirectory, rva, size);
        if (size != 0)
            return Fail("the executable is signed; put the payload into the unsigned file, then "
                        "sign the result");
        if (m_headers.directoryCount <= kResourceDirectory)
            return Fail("the executable has no place for a resource directory");

        ResourceDirectory root;
        DataDirectory(m_image.data(), m_headers, kResourceDirectory, rva, size);
        if (rva != 0 ? !PlanInPlace(rva, root) : !PlanNewSection())
            return false;
        Replace(root, type, name, language, data);
        const Bytes section = Serialize(root, m_plan.rva);
        if (!Assemble(section, out))
            return false;

        // The result must read back as intended.
        Headers check;
        Resource found;
        if (ReadHeaders(out.data(), out.size(), check) ||
            CheckExtent(out.data(), out.size(), check) ||
            FindResourceData(out.data(), out.size(), check, type, name, language, found) ||
            found.size != data.size() ||
            !std::equal(data.begin(), data.end(), out.begin() + std::ptrdiff_t(found.offset)))
            return Fail(Error(Error::internal,
                              "internal error: the rewritten executable does not read back"));
        return true;
    }

private:
    bool Fail(Error error) {
        m_error = std::move(error);
        return false;
    }
    bool Fail(const std::string& message) { return Fail(Error(Error::refused, message)); }

    const Section& At(int index) const { return m_headers.sections[std::size_t(index)]; }

    bool PlanInPlace(std::uint32_t rva, ResourceDirectory& root) {
        const int r = SectionOf(m_headers, rva);
        if (r < 0)
            return Fail("the resource directory lies outside every section");
        const Section& s = At(r);
        if (s.virtualAddress != rva)
            return Fail(std::string("the resource directory does not start section ") + s.name +
                        ", which may hold other data");
        if ((m_error = ReadResourceTree(m_image.data(), m_image.size(), m_headers, rva, root)))
            return false;
        m_plan.section = r;
        m_plan.rva = rva;
        m_plan.rawAt = s.rawOffset;
        m_plan.rawOld = s.rawSize;
        m_plan.spanOld = Span(s);
        m_plan.oldEnd = s.virtualAddress + Span(s);

        // The sections after it move: only those whose contents hold no addresses of their own.
        for (std::size_t i = std::size_t(r) + 1; i < m_headers.sections.size(); ++i) {
            const Section& later = m_headers.sections[i];
            if (!(later.characteristics & kDiscardable) && std::strcmp(later.name, ".reloc") != 0)
                return Fail(std::string("section ") + later.name +
                            " follows the resource section and cannot move");
        }
        for (const Section& other : m_headers.sections)
            if (&other != &s && other.rawSize != 0 && s.rawSize != 0 &&
                other.rawOffset < s.rawOffset + s.rawSize &&
                s.rawOffset < other.rawOffset + other.rawSize)
                return Fail(std::string("section ") + other.name +
                            " shares file bytes with the resource section");
        for (unsigned i = 0; i < m_headers.directoryCount; ++i) {
            std::uint32_t at, size;
            DataDirectory(m_image.data(), m_headers, i, at, size);
            if (i == kResourceDirectory || i == kCertificateDirectory || at == 0)
                continue;
            const int in = SectionOf(m_headers, at);
            if (in == r || (in > r && i != kRelocationDirectory && i != kDebugDirectory))
                return Fail("data directory " + std::to_string(i) +
                            " lies in or after the resource section");
        }
        return CheckRelocations();
    }

    // Nothing after the resource section's start may need relocating: those bytes move.
    bool CheckRelocations() {
        std::uint32_t rva, size;
        DataDirectory(m_image.data(), m_headers, kRelocationDirectory, rva, size);
        std::size_t at;
        if (size == 0)
            return true;
        if (!MapAddress(m_headers, m_image.size(), rva, size, at))
            return Fail("damaged base relocations");
        for (std::size_t done = 0; done + 8 <= size;) {
            const std::uint32_t page = Get32(&m_image[at + done]);
            const std::uint32_t blockSize = Get32(&m_image[at + done + 4]);
            if (blockSize < 8 || blockSize > size - done)
                return Fail("damaged base relocations");
            for (std::size_t k = 8; k + 2 <= blockSize; k += 2) {
                const std::uint32_t item = Get16(&m_image[at + done + k]);
                if ((item >> 12) != 0 && std::uint64_t(page) + (item & 0xFFF) >= m_plan.rva)
                    return Fail("the resource section holds addresses that need relocating");
            }
            done += blockSize;
        }
        return true;
    }

    bool PlanNewSection() {
        const Headers& h = m_headers;
        const std::size_t header = h.SectionTable() + 40 * h.sections.size();
        std::uint64_t rawEnd = h.sizeOfHeaders, addressEnd = 0;
        bool room = header + 40 <= h.sizeOfHeaders && h.sections.size() < kMaxSections;
        for (const Section& s : h.sections) {
            if (s.rawSize != 0) {
                rawEnd = std::max<std::uint64_t>(rawEnd, std::uint64_t(s.rawOffset) + s.rawSize);
                room = room && header + 40 <= s.rawOffset;
            }
            addressEnd =
                std::max<std::uint64_t>(addressEnd, std::uint64_t(s.virtualAddress) + Span(s));
        }
        for (std::size_t i = 0; room && i < 40; ++i)
            room = m_image[header + i] == 0;
        if (!room)
            return Fail("the executable has no resources and no room for another section header");
        if (AlignUp(addressEnd, h.sectionAlignment) >= 0xFFFFFFFF)
            return Fail("the image would outgrow its 32-bit addresses");
        m_plan.rva = std::uint32_t(AlignUp(addressEnd, h.sectionAlignment));
        m_plan.rawAt = std::size_t(AlignUp(rawEnd, h.fileAlignment));
        m_plan.oldEnd = m_plan.rva;
        return true;
    }

    bool Assemble(const Bytes& section, Bytes& out) {
        const Headers& h = m_headers;
        const std::uint64_t rawNew = AlignUp(section.size(), h.fileAlignment);
        const std::int64_t rawDelta = std::int64_t(rawNew) - m_plan.rawOld;
        const std::int64_t addressDelta =
            std::int64_t(AlignUp(std::uint64_t(m_plan.rva) + section.size(), h.sectionAlignment)) -
            std::int64_t(AlignUp(std::uint64_t(m_plan.rva) + m_plan.spanOld, h.sectionAlignment));
        const std::size_t oldTail = m_plan.rawAt + m_plan.rawOld; // file bytes from here move
        if (rawNew > 0x7FFFFFFF || m_image.size() + rawNew > 0xFFFFFFFF)
            return Fail("the resource section would be too large");

        // The file: everything before the section, the section, everything after it.
        out.assign(m_image.begin(),
                   m_image.begin() + std::ptrdiff_t(std::min(m_plan.rawAt, m_image.size())));
        out.resize(m_plan.rawAt, 0);
        out.insert(out.end(), section.begin(), section.end());
        out.resize(std::size_t(m_plan.rawAt + rawNew), 0);
        if (oldTail < m_image.size())
            out.insert(out.end(), m_image.begin() + std::ptrdiff_t(oldTail), m_image.end());
        auto moveOffset = [&](std::uint8_t* field) {
            const std::uint32_t offset = Get32(field);
            if (offset != 0 && offset >= oldTail)
                Put32(field, std::uint32_t(offset + rawDelta));
        };
        auto moveAddress = [&](std::uint8_t* field) {
            const std::uint32_t address = Get32(field);
            if (address >= m_plan.oldEnd && m_plan.section >= 0)
                Put32(field, std::uint32_t(address + addressDelta));
        };

        // Every address stays within the image's 32 bits.
        std::uint64_t lastEnd = std::uint64_t(m_plan.rva) + section.size();
        if (m_plan.section >= 0)
            for (std::size_t i = std::size_t(m_plan.section) + 1; i < h.sections.size(); ++i)
                lastEnd = std::uint64_t(std::int64_t(h.sections[i].virtualAddress) + addressDelta) +
                          Span(h.sections[i]);
        if (AlignUp(lastEnd, h.sectionAlignment) > 0xFFFFFFFF)
            return Fail("the image would outgrow its 32-bit addresses");

        std::uint8_t* table = &out[h.SectionTable()];
        std::uint64_t imageEnd = 0;
        for (std::size_t i = 0; i < h.sections.size(); ++i) {
            std::uint8_t* header = table + 40 * i;
            if (int(i) == m_plan.section) {
                Put32(header + 8, std::uint32_t(section.size()));
                Put32(header + 16, std::uint32_t(rawNew));
            } else {
                if (h.sections[i].rawSize != 0)
                    moveOffset(header + 20);
                if (int(i) > m_plan.section && m_plan.section >= 0)
                    moveAddress(header + 12);
            }
            const std::uint32_t span = Get32(header + 8) ? Get32(header + 8) : Get32(header + 16);
            imageEnd = std::max(imageEnd, std::uint64_t(Get32(header + 12)) + span);
        }
        std::uint8_t* initialized = &out[h.optional + Headers::kSizeOfInitializedData];
        if (m_plan.section < 0) {
            std::uint8_t* header = table + 40 * h.sections.size();
            std::memcpy(header, ".rsrc", 5);
            Put32(header + 8, std::uint32_t(section.size()));
            Put32(header + 12, m_plan.rva);
            Put32(header + 16, std::uint32_t(rawNew));
            Put32(header + 20, std::uint32_t(m_plan.rawAt));
            Put32(header + 36, 0x40000000 | kInitializedData); // readable data
            Put16(&out[h.fileHeader + 2], std::uint32_t(h.sections.size() + 1));
            imageEnd = std::uint64_t(m_plan.rva) + section.size();
            Put32(initialized, std::uint32_t(Get32(initialized) + rawNew));
        } else if (At(m_plan.section).characteristics & kInitializedData) {
            Put32(initialized, std::uint32_t(Get32(initialized) + rawDelta));
        }
        Put32(&out[h.optional + Headers::kSizeOfImage],
              std::uint32_t(AlignUp(imageEnd, h.sectionAlignment)));
        moveOffset(&out[h.fileHeader + 8]); // PointerToSymbolTable

        Put32(&out[h.DirectoryField(kResourceDirectory)], m_plan.rva);
        Put32(&out[h.DirectoryField(kResourceDirectory) + 4], std::uint32_t(section.size()));
        moveAddress(&out[h.DirectoryField(kRelocationDirectory)]);
        if (!MoveDebugEntries(out, rawDelta, moveOffset, moveAddress))
            return false;

        std::uint8_t* checksum = &out[h.optional + Headers::kCheckSum];
        if (Get32(checksum) != 0)
            Put32(checksum, Checksum(out.data(), out.size(), h));
        return true;
    }

    // The debug directory's entries give their data's address and file offset.
    template <class MoveOffset, class MoveAddress>
    bool MoveDebugEntries(Bytes& out, std::int64_t rawDelta, MoveOffset moveOffset,
                          MoveAddress moveAddress) {
        std::uint32_t rva, size;
        DataDirectory(m_image.data(), m_headers, kDebugDirectory, rva, size);
        if (size == 0 || rva == 0)
            return true;
        std::size_t at;
        if (!MapAddress(m_headers, m_image.size(), rva, size, at))
            return Fail("damaged debug directory");
        if (at >= m_plan.rawAt + m_plan.rawOld)
            at = std::size_t(std::int64_t(at) + rawDelta);
        for (std::size_t k = 0; k + 28 <= size; k += 28) {
            const std::uint32_t address = Get32(&out[at + k + 20]);
            if (address != 0 && m_plan.section >= 0 && address >= m_plan.rva &&
                address < m_plan.oldEnd)
                return Fail("debug data lies in the resource section");
            moveAddress(&out[at + k + 20]);
            moveOffset(&out[at + k + 24]);
        }
        moveAddress(&out[m_headers.DirectoryField(kDebugDirectory)]);
        return true;
    }

    const Bytes& m_image;
    Error m_error;
    Headers m_headers;
    Plan m_plan;
};

} // namespace

Error PutResource(const Bytes& image, unsigned type, unsigned name, unsigned language,
                  const Bytes& data, Bytes& out) {
    out.clear();
    Writer writer(image);
    if (writer.Put(type, name, language, data, out))
        return Error::none;
    out.clear();
    return writer.GetError();
}

} // namespace pe
