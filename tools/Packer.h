// The packer's work on memory: building a payload from the application's files, finding the
// payload in a payload file or a built installer, and checking and expanding its entries.
// Host code; file access is left to the command line (krzpack.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "PayloadLayout.h"
#include "PeImage.h"

namespace packer {

using Bytes = std::vector<std::uint8_t>;

// The installer expands each file into a buffer of this many bytes; no file may be larger.
constexpr std::size_t kExpansionLimit = payload::kMaxExpandedSize;

// Compresses the four application files (in file-list order) into a payload: their entries,
// then the end marker. Refuses a wrong number of files, empty files (the installer cannot
// tell their expansion from a failure) and files over kExpansionLimit; errors name a file by
// its entry in `names` (the user's name for it) or, without names, by its target name. Checks
// the payload by expanding it again before returning it.
bool BuildPayload(const std::vector<Bytes>& files, Bytes& payload, std::string& error,
                  const std::vector<std::string>& names = {});

// Where a payload lies inside a file: the whole of a payload file, or resource 129 of an
// installer executable.
struct Located {
    std::size_t offset = 0;
    std::size_t size = 0;
    std::string description; // what was found, for the listing
    bool executable = false;
    pe::Headers headers; // an executable's, read once for the search and the checks after it
};

// Fails for a file that is neither: no MZ header, and no compressed file at the start.
bool LocatePayload(const Bytes& file, Located& located, std::string& error);

// For an executable that LocatePayload located: the file holds the whole image, every section's
// data and the certificate table of a signed file (a file cut short fails). A payload file
// passes.
bool CheckWholeFile(const Bytes& file, const Located& located, std::string& error);

struct EntryInfo {
    std::size_t offset = 0;       // of its length field in the payload
    std::uint32_t bodyLength = 0; // N
    std::uint32_t expandedSize = 0;
    std::string name;        // target name; empty for entries the installer never reads
    std::string headerError; // empty when the entry's header is sound
};

// Walks the payload to its end marker. Fails, after collecting the entries that could be
// read, when a length runs past the end, the end marker is missing or bytes follow it.
bool ReadEntries(const std::uint8_t* payload, std::size_t size, std::vector<EntryInfo>& entries,
                 std::string& error);

// Everything the installer needs of a payload: the walk succeeds, exactly four entries, each
// expanding exactly to its header's size, between 1 and kExpansionLimit bytes. Fills `files`
// with the expanded files in order.
bool ExpandAll(const std::uint8_t* payload, std::size_t size, std::vector<Bytes>& files,
               std::string& error);

} // namespace packer
