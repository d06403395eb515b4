// The encoder: longest matches at every position, the cheapest parse over them, and the
// stream written from that parse. Kept apart from the expander, so that programs that only
// read compressed files do not carry it.
#include "MatchFinder.h"
#include "Parser.h"
#include "Szdd.h"

namespace szdd {

// The ring position that holds the byte `distance` bytes before output byte `produced`: the
// inverse of the expander's mapping (output byte i is written at (kRingStart + i) mod 4096).
static std::size_t SourceOf(std::size_t distance, std::size_t produced) {
    return (kRingStart + produced - distance) & (kRingSize - 1);
}

namespace {

// Writes items into flag-byte groups.
class StreamWriter {
public:
    explicit StreamWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

    void Literal(std::uint8_t byte) {
        Begin();
        m_out[m_flags] |= std::uint8_t(1u << m_count++);
        m_out.push_back(byte);
    }

    void Match(std::size_t source, std::size_t length) {
        Begin();
        ++m_count;
        m_out.push_back(std::uint8_t(source & 0xFF));
        m_out.push_back(std::uint8_t((source >> 8) << 4 | (length - kMinMatch)));
    }

private:
    void Begin() {
        if (m_count == 8 || m_flags == kNone) {
            m_flags = m_out.size();
            m_out.push_back(0);
            m_count = 0;
        }
    }

    static constexpr std::size_t kNone = SIZE_MAX;
    std::vector<std::uint8_t>& m_out;
    std::size_t m_flags = kNone; // index of the current flag byte
    unsigned m_count = 0;        // items it describes so far
};

} // namespace

Status Compress(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out,
                const CompressOptions& options) {
    out.clear();
    if (std::uint64_t(size) > kMaxExpandedSize)
        return Status::tooLarge;
    const std::vector<Match> matches =
        FindLongestMatches(data, size, options.useInitialSpaces, options.threads);
    const std::vector<std::uint8_t> items = ParseShortest(matches);

    std::size_t matchCount = 0;
    for (std::uint8_t length : items)
        matchCount += length > 1;
    const std::size_t literalCount = items.size() - matchCount;
    out.reserve(kHeaderSize + (items.size() + 7) / 8 + literalCount + 2 * matchCount);
    out.assign(kSignature, kSignature + sizeof kSignature);
    out.push_back(kModeA);
    out.push_back(options.missingChar);
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(std::uint32_t(size) >> (8 * i)));

    StreamWriter writer(out);
    std::size_t pos = 0;
    for (std::uint8_t length : items) {
        if (length == 1)
            writer.Literal(data[pos]);
        else
            writer.Match(SourceOf(matches[pos].distance, pos), length);
        pos += length;
    }
    return Status::ok;
}

std::vector<std::uint8_t> Compress(const std::uint8_t* data, std::size_t size,
                                   std::uint8_t missingChar) {
    std::vector<std::uint8_t> out;
    CompressOptions options;
    options.missingChar = missingChar;
    Compress(data, size, out, options);
    return out;
}

} // namespace szdd
