#include "Packer.h"

#include "PayloadLayout.h"
#include "PeResources.h"
#include "Szdd.h"

#include <cstring>

namespace packer {

namespace {

std::string Entry(std::size_t index) {
    return "entry " + std::to_string(index + 1);
}

} // namespace

bool BuildPayload(const std::vector<Bytes>& files, Bytes& payload, std::string& error,
                  const std::vector<std::string>& names) {
    if (files.size() != std::size_t(payload::kFileCount)) {
        error = "expected " + std::to_string(payload::kFileCount) + " files, got " +
                std::to_string(files.size());
        return false;
    }
    std::vector<Bytes> compressed;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string name = i < names.size() ? names[i] : payload::kFileList[i];
        if (files[i].empty()) {
            error = name + " is empty; the installer cannot install an empty file";
            return false;
        }
        if (files[i].size() > kExpansionLimit) {
            error = name + " has " + std::to_string(files[i].size()) +
                    " bytes; the installer expands at most " + std::to_string(kExpansionLimit);
            return false;
        }
        // The payload never copies from ring positions that were not written yet, so it does
        // not depend on the expander's initial ring content. Only a file starting with spaces
        // could be a byte or two smaller with it.
        szdd::CompressOptions options;
        options.useInitialSpaces = false;
        compressed.emplace_back();
        if (szdd::Compress(files[i].data(), files[i].size(), compressed.back(), options) !=
            szdd::Status::ok) {
            error = name + ": cannot be compressed";
            return false;
        }
    }
    payload = payload::Build(compressed);
    if (payload.empty()) {
        error = "internal error: a compressed file has no body";
        return false;
    }

    std::vector<Bytes> check;
    if (!ExpandAll(payload.data(), payload.size(), check, error) || check != files) {
        error = "internal error: the payload does not expand to its files" +
                (error.empty() ? "" : ": " + error);
        payload.clear();
        return false;
    }
    return true;
}

bool LocatePayload(const Bytes& file, Located& located, std::string& error) {
    // A payload's first body starts with the second half of the signature at offset 4, which
    // no executable has there.
    const bool payloadFile =
        file.size() >= 8 && std::memcmp(file.data() + 4, szdd::kSignature + 4, 4) == 0;
    located = Located();
    if (payloadFile) {
        located.size = file.size();
        located.description = "payload file, " + std::to_string(file.size()) + " bytes";
        return true;
    }
    if (!pe::LooksLikeExecutable(file.data(), file.size())) {
        error = "neither an installer (no MZ header) nor a payload (no compressed file at its "
                "start)";
        return false;
    }
    pe::Headers& headers = located.headers;
    pe::Resource resource;
    pe::Error e = pe::ReadHeaders(file.data(), file.size(), headers);
    if (!e)
        e = pe::FindResourceData(file.data(), file.size(), headers, payload::kResourceType,
                                 payload::kResourceId, payload::kResourceLanguage, resource);
    if (e) {
        error = "executable: " + e.Text() +
                (e == pe::Error::notFound ? " (RCDATA 129, the payload)" : "");
        return false;
    }
    located.offset = resource.offset;
    located.size = resource.size;
    located.description = std::string(headers.pe32Plus ? "PE32+" : "PE32") +
                          " executable, RCDATA " + std::to_string(payload::kResourceId) +
                          " language " + std::to_string(resource.language) + " at offset " +
                          std::to_string(resource.offset) + ", " + std::to_string(resource.size) +
                          " bytes";
    located.executable = true;
    std::uint32_t certificates, certificatesSize;
    pe::DataDirectory(file.data(), headers, pe::kCertificateDirectory, certificates,
                      certificatesSize);
    if (certificatesSize != 0)
        located.description += ", signed";
    error.clear();
    return true;
}

bool CheckWholeFile(const Bytes& file, const Located& located, std::string& error) {
    if (!located.executable)
        return true;
    const pe::Error e = pe::CheckExtent(file.data(), file.size(), located.headers);
    error = e.Text();
    return !e;
}

bool ReadEntries(const std::uint8_t* data, std::size_t size, std::vector<EntryInfo>& entries,
                 std::string& error) {
    entries.clear();
    payload::Cursor cursor(data, size);
    payload::Entry entry;
    for (;;) {
        const std::size_t offset = cursor.Offset();
        switch (cursor.Next(entry)) {
        case payload::Step::entry: {
            EntryInfo info;
            info.offset = offset;
            info.bodyLength = entry.length;
            if (entries.size() < std::size_t(payload::kFileCount))
                info.name = payload::kFileList[entries.size()];
            const Bytes file = payload::CompleteFile(entry);
            szdd::Header header;
            const szdd::Status status = szdd::ReadHeader(file.data(), file.size(), header);
            if (status == szdd::Status::ok)
                info.expandedSize = header.expandedSize;
            else
                info.headerError = szdd::StatusText(status);
            entries.push_back(info);
            break;
        }
        case payload::Step::end:
            if (cursor.Offset() + 4 != size) {
                error = std::to_string(size - cursor.Offset() - 4) +
                        " bytes follow the end marker at offset " + std::to_string(cursor.Offset());
                return false;
            }
            return true;
        case payload::Step::truncated:
            error = size - offset < 4
                        ? "no end marker: the payload ends at offset " + std::to_string(offset)
                        : Entry(entries.size()) + " at offset " + std::to_string(offset) +
                              " runs past the end of the payload";
            return false;
        }
    }
}

bool ExpandAll(const std::uint8_t* data, std::size_t size, std::vector<Bytes>& files,
               std::string& error) {
    files.clear();
    std::vector<EntryInfo> entries;
    if (!ReadEntries(data, size, entries, error))
        return false;
    if (entries.size() != std::size_t(payload::kFileCount)) {
        error = "the payload has " + std::to_string(entries.size()) +
                " entries; the installer expects " + std::to_string(payload::kFileCount);
        return false;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        payload::Entry entry;
        entry.body = data + entries[i].offset + 4;
        entry.length = entries[i].bodyLength;
        const Bytes file = payload::CompleteFile(entry);
        Bytes out;
        const szdd::Status status = szdd::Expand(file.data(), file.size(), out, kExpansionLimit);
        if (status != szdd::Status::ok) {
            error = Entry(i) + " (" + entries[i].name + "): " + szdd::StatusText(status);
            if (status == szdd::Status::tooLarge)
                error += " of " + std::to_string(kExpansionLimit) + " bytes";
            return false;
        }
        if (out.empty()) {
            error = Entry(i) + " (" + entries[i].name +
                    "): expands to 0 bytes, which the installer reports as a failure";
            return false;
        }
        files.push_back(std::move(out));
    }
    return true;
}

} // namespace packer
