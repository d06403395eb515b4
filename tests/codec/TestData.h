// Inputs and a reference expander shared by the codec's tests.
#pragma once

#include "Szdd.h"

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace testdata {

using Bytes = std::vector<std::uint8_t>;

inline Bytes FromString(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// Kinds of input that stress different parts of the encoder.
enum class Kind {
    random,     // every byte value: few matches
    fewSymbols, // four symbols, spaces among them: short matches everywhere
    runs,       // runs of one byte: matches at distance 1 that overlap themselves
    periodic,   // short periods with mutations: overlapping matches at distance 2 to 7
    structured, // records with repeated fields far apart, near the window's edge
};

inline const char* KindName(Kind kind) {
    switch (kind) {
    case Kind::random:
        return "random";
    case Kind::fewSymbols:
        return "fewSymbols";
    case Kind::runs:
        return "runs";
    case Kind::periodic:
        return "periodic";
    case Kind::structured:
        return "structured";
    }
    return "?";
}

inline Bytes Make(Kind kind, std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes v;
    v.reserve(size);
    switch (kind) {
    case Kind::random:
        while (v.size() < size)
            v.push_back(std::uint8_t(rng()));
        break;
    case Kind::fewSymbols: {
        const std::uint8_t symbols[] = {'a', 'b', ' ', 0};
        while (v.size() < size)
            v.push_back(symbols[rng() % 4]);
        break;
    }
    case Kind::runs:
        while (v.size() < size) {
            const std::uint8_t byte = std::uint8_t(rng() % 3 == 0 ? ' ' : rng());
            for (std::size_t n = 1 + rng() % 40; n > 0 && v.size() < size; --n)
                v.push_back(byte);
        }
        break;
    case Kind::periodic:
        while (v.size() < size) {
            const std::size_t period = 2 + rng() % 6;
            Bytes unit(period);
            for (auto& b : unit)
                b = std::uint8_t(rng());
            for (std::size_t n = 0, count = period * (1 + rng() % 12); n < count && v.size() < size;
                 ++n)
                v.push_back(rng() % 50 == 0 ? std::uint8_t(rng()) : unit[n % period]);
        }
        break;
    case Kind::structured: {
        // 4,090-byte records: fields recur one record apart, just inside or outside the
        // window of 4,096 bytes.
        Bytes record(4090);
        for (auto& b : record)
            b = std::uint8_t(rng());
        while (v.size() < size) {
            for (std::size_t k = 0; k < record.size() && v.size() < size; ++k)
                v.push_back(record[k]);
            for (int k = 0; k < 40; ++k)
                record[rng() % record.size()] = std::uint8_t(rng());
        }
        break;
    }
    }
    return v;
}

// Expands a stream by the format's own description: a 4,096-byte ring of spaces, a write
// position starting at `ringStart`, absolute source positions, one byte at a time. Deliberately
// naive and independent of the codec's expander. Stops at the end of the stream.
inline Bytes RingExpand(const Bytes& file, std::size_t ringStart = szdd::kRingStart) {
    std::uint8_t ring[4096];
    for (auto& b : ring)
        b = 0x20;
    std::size_t pos = ringStart;
    Bytes out;
    std::size_t in = szdd::kHeaderSize;
    auto put = [&](std::uint8_t byte) {
        out.push_back(byte);
        ring[pos] = byte;
        pos = (pos + 1) % 4096;
    };
    while (in < file.size()) {
        const unsigned flags = file[in++];
        for (int bit = 0; bit < 8 && in < file.size(); ++bit) {
            if (flags >> bit & 1) {
                put(file[in++]);
            } else {
                if (in + 1 >= file.size())
                    return out;
                std::size_t source = file[in] + 256 * (file[in + 1] >> 4);
                const std::size_t length = (file[in + 1] & 0x0F) + 3;
                in += 2;
                for (std::size_t k = 0; k < length; ++k, source = (source + 1) % 4096)
                    put(ring[source]);
            }
        }
    }
    return out;
}

// A complete compressed file around a hand-written stream.
inline Bytes FileWithStream(const Bytes& stream, std::uint32_t expandedSize) {
    Bytes file(szdd::kSignature, szdd::kSignature + 8);
    file.push_back(szdd::kModeA);
    file.push_back(0);
    for (int i = 0; i < 4; ++i)
        file.push_back(std::uint8_t(expandedSize >> (8 * i)));
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
}

// Streams worked out by hand from the format's rules.
struct Golden {
    const char* name;
    Bytes stream;
    std::string expanded;
    bool dependsOnRingStart; // expands differently if the write position started at 0
};

inline const Golden kGoldens[] = {
    {"literals only", {0x07, 'a', 'b', 'c'}, "abc", false},
    // 'a' is written at 4080; the match copies from there (distance 1) five times.
    {"match at distance 1 overlapping itself", {0x01, 'a', 0xF0, 0xF2}, "aaaaaa", true},
    // The fourth item copies three bytes from position 4080, where the first literal went.
    {"match from the first written position", {0x07, 'a', 'b', 'c', 0xF0, 0xF0}, "abcabc", true},
    // From 4078: two initial spaces, then "xy" and the two spaces the match itself wrote.
    {"match from initial ring into written bytes", {0x03, 'x', 'y', 0xEE, 0xF3}, "xy  xy  ", true},
    {"match from untouched initial ring", {0x00, 0x00, 0x11}, "    ", false},
    // 17 literals end at position 0; the match copies 'P' from 4095, then 'Q' from 0, then the
    // 'P' it has just written at 1.
    {"write position wraps from 4095 to 0",
     {0xFF, 'A', 'B', 'C', 'D', 'E', 'F', 'G',  'H', 0xFF, 'I',
      'J',  'K', 'L', 'M', 'N', 'O', 'P', 0x01, 'Q', 0xFF, 0xF0},
     "ABCDEFGHIJKLMNOPQPQP",
     true},
    {"longest match at distance 2", {0x03, 'a', 'b', 0xF0, 0xFF}, "abababababababababab", true},
};

} // namespace testdata
