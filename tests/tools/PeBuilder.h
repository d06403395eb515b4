// Builds small PE32 and PE32+ images with one resource section, for the PE reader's tests;
// records where each field lies so that tests can damage it. Reads a resource out of an image
// with code of its own, so that what the packer writes is checked by a reader it does not share.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace pebuilder {

using Bytes = std::vector<std::uint8_t>;

struct Layout {
    std::size_t peOffsetField = 0x3C; // e_lfanew
    std::size_t peSignature = 0;
    std::size_t sectionCount = 0;
    std::size_t optionalSize = 0;
    std::size_t optionalMagic = 0;
    std::size_t directoryCount = 0;
    std::size_t resourceDirectory = 0; // RVA and size fields
    std::size_t sectionHeader = 0;
    std::size_t sectionData = 0;       // file offset of the resource section
    std::size_t typeEntry = 0;         // root entry for RT_RCDATA
    std::size_t nameEntry = 0;         // entry for name 129
    std::size_t languageDirectory = 0; // directory of the languages
    std::size_t languageEntry = 0;     // first language entry
    std::size_t dataEntry = 0;         // data entry (RVA, size)
    std::size_t data = 0;              // the resource's bytes
};

inline void Put16(Bytes& b, std::size_t at, unsigned v) {
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}

inline void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

// An image whose resource section holds RT_ICON id 1 (a decoy), then RT_RCDATA `name` in the
// given languages (the first carrying `data`, the others one byte each).
inline Bytes Build(bool pe32Plus, const Bytes& data, Layout& layout, unsigned name = 129,
                   std::vector<unsigned> languages = {1033}) {
    const std::size_t peOffset = 0x40;
    const std::size_t optionalSize = pe32Plus ? 240 : 224;
    const std::size_t sectionOffset = 0x200;
    const std::uint32_t sectionRva = 0x1000;
    Bytes image(sectionOffset);
    image[0] = 'M';
    image[1] = 'Z';
    Put32(image, 0x3C, std::uint32_t(peOffset));
    layout.peSignature = peOffset;
    Put32(image, peOffset, 0x00004550);
    Put16(image, peOffset + 4, pe32Plus ? 0x8664 : 0x14C);
    layout.sectionCount = peOffset + 6;
    Put16(image, peOffset + 6, 1);
    layout.optionalSize = peOffset + 20;
    Put16(image, peOffset + 20, unsigned(optionalSize));
    const std::size_t optional = peOffset + 24;
    layout.optionalMagic = optional;
    Put16(image, optional, pe32Plus ? 0x20B : 0x10B);
    layout.directoryCount = optional + (pe32Plus ? 108 : 92);
    Put32(image, layout.directoryCount, 16);
    layout.resourceDirectory = optional + (pe32Plus ? 112 : 96) + 2 * 8;
    layout.sectionHeader = optional + optionalSize;
    layout.sectionData = sectionOffset;

    // The resource section, offsets relative to its start.
    Bytes rsrc;
    auto add = [&](std::size_t n) {
        const std::size_t at = rsrc.size();
        rsrc.resize(at + n);
        return at;
    };
    auto directory = [&](unsigned ids) {
        const std::size_t at = add(16 + 8 * ids);
        Put16(rsrc, at + 14, ids);
        return at;
    };
    const std::size_t root = directory(2);
    const std::size_t iconDir = directory(1);
    const std::size_t iconLangDir = directory(1);
    const std::size_t typeDir = directory(1);
    const std::size_t langDir = directory(unsigned(languages.size()));
    std::vector<std::size_t> dataEntries;
    for (std::size_t i = 0; i <= languages.size(); ++i)
        dataEntries.push_back(add(16));
    const std::size_t payloadAt = add(data.size());
    std::copy(data.begin(), data.end(), rsrc.begin() + std::ptrdiff_t(payloadAt));
    const std::size_t extraAt = add(languages.size() + 1);

    const std::uint32_t kDir = 0x80000000;
    Put32(rsrc, root + 16, 3); // RT_ICON
    Put32(rsrc, root + 20, kDir | std::uint32_t(iconDir));
    Put32(rsrc, root + 24, 10); // RT_RCDATA
    Put32(rsrc, root + 28, kDir | std::uint32_t(typeDir));
    Put32(rsrc, iconDir + 16, 1);
    Put32(rsrc, iconDir + 20, kDir | std::uint32_t(iconLangDir));
    Put32(rsrc, iconLangDir + 16, 1033);
    Put32(rsrc, iconLangDir + 20, std::uint32_t(dataEntries.back()));
    Put32(rsrc, typeDir + 16, name);
    Put32(rsrc, typeDir + 20, kDir | std::uint32_t(langDir));
    for (std::size_t i = 0; i < languages.size(); ++i) {
        Put32(rsrc, langDir + 16 + 8 * i, languages[i]);
        Put32(rsrc, langDir + 20 + 8 * i, std::uint32_t(dataEntries[i]));
        const bool main = i == 0;
        Put32(rsrc, dataEntries[i], sectionRva + std::uint32_t(main ? payloadAt : extraAt + i));
        Put32(rsrc, dataEntries[i] + 4, main ? std::uint32_t(data.size()) : 1);
    }
    Put32(rsrc, dataEntries.back(), sectionRva + std::uint32_t(extraAt));
    Put32(rsrc, dataEntries.back() + 4, 1);

    Put32(image, layout.resourceDirectory, sectionRva);
    Put32(image, layout.resourceDirectory + 4, std::uint32_t(rsrc.size()));
    const std::size_t s = layout.sectionHeader;
    std::copy_n(".rsrc", 5, image.begin() + std::ptrdiff_t(s));
    Put32(image, s + 8, std::uint32_t(rsrc.size()));
    Put32(image, s + 12, sectionRva);
    Put32(image, s + 16, std::uint32_t(rsrc.size()));
    Put32(image, s + 20, std::uint32_t(sectionOffset));
    image.insert(image.end(), rsrc.begin(), rsrc.end());

    layout.typeEntry = sectionOffset + root + 24;
    layout.nameEntry = sectionOffset + typeDir + 16;
    layout.languageDirectory = sectionOffset + langDir;
    layout.languageEntry = sectionOffset + langDir + 16;
    layout.dataEntry = sectionOffset + dataEntries[0];
    layout.data = sectionOffset + payloadAt;
    return image;
}

inline std::uint32_t Get(const Bytes& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | b.at(at + std::size_t(i));
    return v;
}

// The bytes of resource `type`/`name` in exactly `language` (integer ids), as the loader finds
// them through the resource directory and the section table; empty when it is not there.
// Checks only what this needs: a damaged image throws std::out_of_range.
inline Bytes ReadResource(const Bytes& image, unsigned type, unsigned name, unsigned language) {
    const std::size_t pe = Get(image, 0x3C, 4);
    const std::size_t sections = Get(image, pe + 6, 2);
    const std::size_t optional = pe + 24;
    const std::size_t table = optional + Get(image, pe + 20, 2);
    const bool plus = Get(image, optional, 2) == 0x20B;
    const std::uint32_t root = Get(image, optional + (plus ? 112 : 96) + 2 * 8, 4);
    auto offsetOf = [&](std::uint32_t rva) -> std::size_t {
        for (std::size_t i = 0; i < sections; ++i) {
            const std::size_t h = table + 40 * i;
            const std::uint32_t address = Get(image, h + 12, 4);
            if (rva >= address && rva - address < Get(image, h + 16, 4))
                return Get(image, h + 20, 4) + (rva - address);
        }
        throw std::out_of_range("address in no section");
    };
    std::uint32_t at = 0; // within the resource directory
    for (unsigned id : {type, name, language}) {
        const std::size_t directory = offsetOf(root + at);
        // The entries with integer ids follow the named ones.
        const std::size_t named = Get(image, directory + 12, 2);
        const std::size_t count = named + Get(image, directory + 14, 2);
        std::size_t k = named;
        while (k < count && Get(image, directory + 16 + 8 * k, 4) != id)
            ++k;
        if (k == count)
            return {};
        at = Get(image, directory + 20 + 8 * k, 4) & 0x7FFFFFFF;
    }
    const std::size_t entry = offsetOf(root + at);
    const std::size_t data = offsetOf(Get(image, entry, 4));
    const std::size_t size = Get(image, entry + 4, 4);
    if (data + size > image.size())
        throw std::out_of_range("resource beyond the file");
    return Bytes(image.begin() + std::ptrdiff_t(data), image.begin() + std::ptrdiff_t(data + size));
}

} // namespace pebuilder
