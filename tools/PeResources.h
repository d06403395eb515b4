// The resource directory of a Windows executable (PE32 or PE32+) held in memory: read whole as
// a tree, for finding a resource and for writing the directory again (PeResourceWriter.h).
// Portable C++: no platform headers; every offset is checked against the image before it is
// read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "PeImage.h"

namespace pe {

struct ResourceDirectory;

struct ResourceEntry {
    bool named = false;
    std::vector<std::uint16_t> name; // a named entry's UTF-16 units
    std::uint32_t id = 0;
    std::vector<ResourceDirectory> subdirectory; // one directory, or none for a data entry
    // A data entry's bytes: inside the image read, or the caller's for one put in.
    const std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
    std::uint32_t codePage = 0;
};

// One directory of the resource tree.
struct ResourceDirectory {
    std::uint8_t header[12] = {}; // characteristics, time stamp, version: kept as they were
    std::vector<ResourceEntry> entries;
};

// Reads the whole resource tree whose root lies at `rva`: type, name and language, three
// levels of directories, each data entry's bytes within one section's data in the file.
// badDirectory when anything of it lies outside or nests wrongly.
Error ReadResourceTree(const std::uint8_t* image, std::size_t size, const Headers& headers,
                       std::uint32_t rva, ResourceDirectory& root);

struct Resource {
    std::size_t offset = 0; // of the resource's data in the image (file offset)
    std::size_t size = 0;   // of the data, in bytes
    unsigned language = 0;  // language id of the version found
};

// Finds the resource with integer type `type` and integer name `name` in the image whose
// `headers` ReadHeaders read: the version in `language` when there is one, else the first version
// listed.
Error FindResourceData(const std::uint8_t* image, std::size_t size, const Headers& headers,
                       unsigned type, unsigned name, unsigned language, Resource& found);

} // namespace pe
