// Finds a resource in a Windows executable (PE32 or PE32+) held in memory, by reading the
// headers, the section table and the resource directory itself. Portable C++: no platform
// headers; every offset is checked against the image before it is read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pe {

enum class Error {
    none,
    notExecutable, // no "MZ" header
    badHeaders,    // the PE headers are missing, cut short or inconsistent
    noResources,   // the image has no resource directory
    badDirectory,  // the resource directory points outside the image or nests wrongly
    notFound,      // no resource of that type and name
};

const char* ErrorText(Error error);

struct Resource {
    std::size_t offset = 0; // of the resource's data in the image (file offset)
    std::size_t size = 0;   // of the data, in bytes
    unsigned language = 0;  // language id of the version found
    bool pe32Plus = false;  // the image is PE32+ (64-bit)
};

// True when the image starts like an executable ("MZ").
bool LooksLikeExecutable(const std::uint8_t* image, std::size_t size);

// Finds the resource with integer type `type` and integer name `name`: the version in
// `language` when there is one, else the first version listed.
Error FindResourceData(const std::uint8_t* image, std::size_t size, unsigned type, unsigned name,
                       unsigned language, Resource& found);

} // namespace pe
