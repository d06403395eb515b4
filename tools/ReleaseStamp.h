// What `krzpack build` checks of a stub, and the release's version that it may write into the
// stub: the version resource (its fixed part, the "FileVersion", "ProductVersion" and
// "SpecialBuild" strings) and the manifest's assembly version. Host code, on memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace packer {

using Bytes = std::vector<std::uint8_t>;

// Four numbers of 0 to 65535, as "A.B.C.D".
struct Version {
    std::uint16_t part[4] = {};
};

// Reads "A.B.C.D": four decimal numbers of 0 to 65535 and nothing else.
bool ParseVersion(const std::string& text, Version& version);

// Whether `image` is an installer stub of this project: an executable whose main dialog
// (dialog template 102, an extended template) has the installer's title "Setup Quorbelix".
// Otherwise `error` says what was found instead.
bool CheckInstallerStub(const Bytes& image, std::string& error);

// What a release sets. Each part is written only when given.
struct Stamp {
    bool setVersion = false;
    Version version; // file and product version, fixed part, strings and manifest
    bool setSpecialBuild = false;
    std::string specialBuild; // UTF-8
};

// Makes `out` a copy of `stub` with `stamp` written into its version resource (every string
// table: "FileVersion" and "ProductVersion" as "A, B, C, D", "SpecialBuild", added where a
// table lacks it) and, for a version, into its manifest's assemblyIdentity. The resources are
// rewritten with the PE resource writer in their own languages. Fails for a stub without a
// version resource or manifest, one that does not read as such, or a special-build text that
// is not UTF-8 text without control characters of at most 255 characters.
bool StampRelease(const Bytes& stub, const Stamp& stamp, Bytes& out, std::string& error);

} // namespace packer
