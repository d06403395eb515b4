// The packer's reading side on arbitrary files: locating the payload in an executable (or
// taking the file as a payload), walking and expanding it. Nothing may read outside the file.
#include "Packer.h"
#include "PeResources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const packer::Bytes file(data, data + size);
    pe::Resource resource;
    if (pe::FindResourceData(file.data(), file.size(), 10, 129, 1033, resource) ==
            pe::Error::none &&
        (resource.offset > size || resource.size > size - resource.offset))
        __builtin_trap();
    packer::Located located;
    std::string error;
    if (!packer::LocatePayload(file, located, error))
        return 0;
    if (located.offset > size || located.size > size - located.offset)
        __builtin_trap();
    std::vector<packer::Bytes> files;
    packer::ExpandAll(file.data() + located.offset, located.size, files, error);
    return 0;
}
