#include "PayloadLayout.h"

#include <algorithm>

#include "ByteOrder.h"

namespace payload {

const char* const kFileList[kFileCount] = {"KRZ.exe", "KRZ.hlp", "KRZ.cnt", "Uninstall.exe"};

Step Cursor::Next(Entry& entry) {
    if (m_size - m_offset < 4)
        return Step::truncated;
    const std::uint8_t* p = m_data + m_offset;
    const std::uint32_t length = bytes::Get32(p);
    if (length == 0)
        return Step::end;
    if (m_size - m_offset - 4 < length)
        return Step::truncated;
    entry.body = p + 4;
    entry.length = length;
    entry.offset = m_offset;
    m_offset += 4 + std::size_t(length);
    return Step::entry;
}

static void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.resize(out.size() + 4);
    bytes::Put32(&out[out.size() - 4], value);
}

std::vector<std::uint8_t> Build(const std::vector<std::vector<std::uint8_t>>& compressedFiles) {
    std::vector<std::uint8_t> out;
    for (const auto& file : compressedFiles) {
        if (file.size() <= sizeof kSignaturePrefix ||
            file.size() - sizeof kSignaturePrefix > UINT32_MAX)
            return {};
        const std::size_t bodyLength = file.size() - sizeof kSignaturePrefix;
        AppendLe32(out, std::uint32_t(bodyLength));
        out.insert(out.end(), file.begin() + sizeof kSignaturePrefix, file.end());
    }
    AppendLe32(out, 0);
    return out;
}

std::vector<std::uint8_t> CompleteFile(const Entry& entry) {
    std::vector<std::uint8_t> file(sizeof kSignaturePrefix + entry.length);
    std::copy(kSignaturePrefix, kSignaturePrefix + sizeof kSignaturePrefix, file.begin());
    std::copy(entry.body, entry.body + entry.length, file.begin() + sizeof kSignaturePrefix);
    return file;
}

} // namespace payload
