#include "PayloadLayout.h"

#include <algorithm>

namespace payload {

const char* const kFileList[kFileCount] = {"KRZ.exe", "KRZ.hlp", "KRZ.cnt", "Uninstall.exe"};
const std::uint8_t kSignaturePrefix[4] = {0x53, 0x5A, 0x44, 0x44};

Step Cursor::Next(Entry& entry) {
    if (m_size - m_offset < 4)
        return Step::truncated;
    const std::uint8_t* p = m_data + m_offset;
    const std::uint32_t length = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                 std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
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
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
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
