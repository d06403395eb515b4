// The packer on arbitrary files: locating the payload in an executable (or taking the file as
// a payload), walking and expanding it, and putting a payload into the file as into a stub.
// Nothing may read outside the file; the writer refuses or writes an image that reads back.
#include "Packer.h"
#include "PeResourceWriter.h"
#include "PeResources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const packer::Bytes file(data, data + size);
    pe::Headers headers;
    pe::Resource resource;
    if (pe::ReadHeaders(file.data(), file.size(), headers) == pe::Error::none &&
        pe::FindResourceData(file.data(), file.size(), headers, 10, 129, 1033, resource) ==
            pe::Error::none &&
        (resource.offset > size || resource.size > size - resource.offset))
        __builtin_trap();
    packer::Bytes written;
    if (pe::PutResource(file, 10, 129, 1033, {1, 2, 3}, written) == pe::Error::internal)
        __builtin_trap();
    std::string error;
    packer::Located located;
    if (!packer::LocatePayload(file, located, error))
        return 0;
    packer::CheckWholeFile(file, located, error);
    if (located.offset > size || located.size > size - located.offset)
        __builtin_trap();
    std::vector<packer::Bytes> files;
    packer::ExpandAll(file.data() + located.offset, located.size, files, error);
    return 0;
}
