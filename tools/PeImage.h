// The headers of a Windows executable (PE32 or PE32+) held in memory: where each header field
// lies, the section table and the data directories, for the tools that check or change an
// image. Portable C++: no platform headers; every offset is checked before it is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ByteOrder.h"

namespace pe {

// What went wrong with an image, and the text that says it to the user: the one error of the
// PE tools. Converts to true when something went wrong.
class Error {
public:
    enum Kind {
        none,
        notExecutable, // no "MZ" header
        badHeaders,    // the PE headers are missing, cut short or inconsistent
        cutShort,      // the file ends before the image's data does
        noResources,   // the image has no resource directory
        badDirectory,  // the resource directory points outside the image or nests wrongly
        notFound,      // no resource of that type and name
        refused,       // the image cannot take a resource as it is (signed, or laid out so)
        internal,      // a rewritten image does not read back
    };

    // With the kind's own text; `cutShort`, `refused` and `internal` come with a text of their
    // own.
    Error(Kind kind = none);
    Error(Kind kind, std::string text) : m_kind(kind), m_text(std::move(text)) {}

    const std::string& Text() const { return m_text; }
    explicit operator bool() const { return m_kind != none; }
    friend bool operator==(const Error& a, const Error& b) { return a.m_kind == b.m_kind; }
    friend bool operator!=(const Error& a, const Error& b) { return a.m_kind != b.m_kind; }

private:
    Kind m_kind;
    std::string m_text;
};

struct Section {
    char name[9] = {};      // up to eight bytes, NUL-terminated here
    std::size_t header = 0; // file offset of the section's 40-byte header
    std::uint32_t virtualSize = 0;
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;   // SizeOfRawData
    std::uint32_t rawOffset = 0; // PointerToRawData
    std::uint32_t characteristics = 0;
};

// Data directories used by name.
constexpr unsigned kResourceDirectory = 2;
constexpr unsigned kCertificateDirectory = 4; // a file offset, not an address
constexpr unsigned kRelocationDirectory = 5;
constexpr unsigned kDebugDirectory = 6;

// No more sections than this are read.
constexpr std::size_t kMaxSections = 96;

constexpr std::uint32_t kDiscardable = 0x02000000;
constexpr std::uint32_t kInitializedData = 0x00000040;

struct Headers {
    bool pe32Plus = false;
    std::size_t fileHeader = 0; // the COFF file header, after "PE\0\0"
    std::size_t optional = 0;   // the optional header
    std::size_t optionalSize = 0;
    std::size_t directories = 0; // the first data directory
    std::uint32_t directoryCount = 0;
    std::uint32_t sectionAlignment = 0;
    std::uint32_t fileAlignment = 0;
    std::uint32_t sizeOfHeaders = 0;
    std::vector<Section> sections;

    // Field offsets in the optional header, the same in both kinds.
    static constexpr std::size_t kSizeOfInitializedData = 8;
    static constexpr std::size_t kSizeOfImage = 56;
    static constexpr std::size_t kCheckSum = 64;

    std::size_t SectionTable() const { return optional + optionalSize; }
    std::size_t DirectoryField(unsigned index) const { return directories + 8 * index; }
};

// True when the image starts like an executable ("MZ").
bool LooksLikeExecutable(const std::uint8_t* image, std::size_t size);

// Reads the headers and the section table: notExecutable without "MZ", badHeaders when they
// are missing, cut short or inconsistent (sections out of address order).
Error ReadHeaders(const std::uint8_t* image, std::size_t size, Headers& headers);

// RVA and size of data directory `index`; zeros when the image has no such directory.
void DataDirectory(const std::uint8_t* image, const Headers& headers, unsigned index,
                   std::uint32_t& rva, std::uint32_t& size);

// The index of the section whose address range holds `rva`, or -1.
int SectionOf(const Headers& headers, std::uint32_t rva);

// The file offset of `length` bytes at `rva`, when they lie in one section's data within a
// file of `fileSize` bytes.
bool MapAddress(const Headers& headers, std::size_t fileSize, std::uint64_t rva,
                std::uint64_t length, std::size_t& offset);

// Whether the file is long enough for the whole image: the headers, every section's data and
// the certificate table of a signed file. Otherwise cutShort, saying what is cut short.
Error CheckExtent(const std::uint8_t* image, std::size_t size, const Headers& headers);

// The image's checksum as the loader computes it, the checksum field counted as zero.
std::uint32_t Checksum(const std::uint8_t* image, std::size_t size, const Headers& headers);

using bytes::Get16;
using bytes::Get32;
using bytes::Put16;
using bytes::Put32;

} // namespace pe
