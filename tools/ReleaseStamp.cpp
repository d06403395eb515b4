#include "ReleaseStamp.h"

#include "ByteOrder.h"
#include "PeResourceWriter.h"
#include "PeResources.h"

#include <algorithm>
#include <cstring>

namespace packer {

namespace {

using bytes::Get16;
using bytes::Get32;
using bytes::Put16;
using bytes::Put32;
using Text = std::u16string;

constexpr unsigned kDialog = 5;    // RT_DIALOG
constexpr unsigned kVersion = 16;  // RT_VERSION
constexpr unsigned kManifest = 24; // RT_MANIFEST
constexpr unsigned kMainDialog = 102;
constexpr char kMainDialogTitle[] = "Setup Quorbelix";
constexpr std::size_t kMaxSpecialBuild = 255;

// A resource's bytes, in whatever language it comes. Each image is read once, here: every call
// is on another (the stub, then each image that a rewritten resource made).
bool FindResource(const Bytes& image, unsigned type, unsigned name, Bytes& data, unsigned& language,
                  pe::Error& error) {
    pe::Headers headers;
    pe::Resource found;
    error = pe::ReadHeaders(image.data(), image.size(), headers);
    if (!error)
        error = pe::FindResourceData(image.data(), image.size(), headers, type, name, 0, found);
    if (error)
        return false;
    data.assign(image.begin() + std::ptrdiff_t(found.offset),
                image.begin() + std::ptrdiff_t(found.offset + found.size));
    language = found.language;
    return true;
}

// A NUL-terminated UTF-16 text at `at`, within `size`; `at` moves past its NUL.
bool ReadText(const Bytes& b, std::size_t& at, std::size_t size, Text& text) {
    text.clear();
    for (; at + 2 <= size; at += 2) {
        const char16_t unit = char16_t(Get16(b.data() + at));
        if (unit == 0) {
            at += 2;
            return true;
        }
        text += unit;
    }
    return false;
}

Text Widen(const char* ascii) {
    Text text;
    while (*ascii)
        text += char16_t(*ascii++);
    return text;
}

// UTF-8 to UTF-16, refusing malformed text and control characters.
bool FromUtf8(const std::string& in, Text& out) {
    out.clear();
    for (std::size_t i = 0; i < in.size();) {
        const unsigned char c = static_cast<unsigned char>(in[i]);
        const int extra = c < 0x80             ? 0
                          : (c & 0xE0) == 0xC0 ? 1
                          : (c & 0xF0) == 0xE0 ? 2
                          : (c & 0xF8) == 0xF0 ? 3
                                               : -1;
        if (extra < 0 || i + std::size_t(extra) >= in.size())
            return false;
        std::uint32_t code = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(in[i + std::size_t(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = code << 6 | (next & 0x3F);
        }
        const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (code < least[extra] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000) ||
            code < 0x20 || code == 0x7F)
            return false;
        if (code >= 0x10000) {
            out += char16_t(0xD800 + ((code - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += char16_t(code);
        }
        i += std::size_t(extra) + 1;
    }
    return true;
}

// The version's four numbers with `separator` between them ("5, 1, 2, 3", "5.1.2.3").
std::string Joined(const Version& v, const char* separator) {
    std::string text = std::to_string(v.part[0]);
    for (int i = 1; i < 4; ++i)
        text += separator + std::to_string(v.part[i]);
    return text;
}

// One block of a version resource: a key, a value (binary, or text counted in characters) and
// the blocks inside it.
struct Block {
    Text key;
    std::uint16_t type = 0; // 1 text, 0 binary
    std::uint16_t valueLength = 0;
    Bytes value;
    std::vector<Block> children;
};

std::size_t Align4(std::size_t at) {
    return (at + 3) & ~std::size_t(3);
}

// Reads the block at `at` (a multiple of four from the resource's start). A block without
// room for a child after its value is a leaf, whose value runs to its end.
bool ReadBlock(const Bytes& b, std::size_t at, std::size_t limit, int depth, Block& block) {
    if (depth > 4 || at + 6 > limit)
        return false;
    const std::size_t length = Get16(b.data() + at);
    block.valueLength = std::uint16_t(Get16(b.data() + at + 2));
    block.type = std::uint16_t(Get16(b.data() + at + 4));
    const std::size_t end = at + length;
    if (length < 6 || end > limit)
        return false;
    std::size_t next = at + 6;
    if (!ReadText(b, next, end, block.key))
        return false;
    next = Align4(next);
    const std::size_t valueSize =
        block.type == 1 ? 2 * std::size_t(block.valueLength) : block.valueLength;
    if (next > end)
        return false;
    std::size_t valueEnd = std::min(next + valueSize, end);
    if (Align4(valueEnd) + 6 > end) // a leaf
        valueEnd = end;
    block.value.assign(b.begin() + std::ptrdiff_t(next), b.begin() + std::ptrdiff_t(valueEnd));
    for (next = Align4(valueEnd); next + 6 <= end; next = Align4(next)) {
        block.children.emplace_back();
        if (!ReadBlock(b, next, end, depth + 1, block.children.back()))
            return false;
        next += Get16(b.data() + next);
    }
    return true;
}

void WriteBlock(const Block& block, Bytes& out) {
    const std::size_t at = out.size();
    out.resize(at + 6);
    Put16(out.data() + at + 2, block.valueLength);
    Put16(out.data() + at + 4, block.type);
    for (const char16_t unit : block.key) {
        out.push_back(std::uint8_t(unit));
        out.push_back(std::uint8_t(unit >> 8));
    }
    out.insert(out.end(), 2, 0);
    out.resize(Align4(out.size() - at) + at);
    out.insert(out.end(), block.value.begin(), block.value.end());
    for (const Block& child : block.children) {
        out.resize(Align4(out.size() - at) + at);
        WriteBlock(child, out);
    }
    Put16(out.data() + at, unsigned(out.size() - at));
}

void SetText(Block& block, const Text& text) {
    block.type = 1;
    block.valueLength = std::uint16_t(text.size() + 1);
    block.value.clear();
    for (const char16_t unit : text) {
        block.value.push_back(std::uint8_t(unit));
        block.value.push_back(std::uint8_t(unit >> 8));
    }
    block.value.insert(block.value.end(), 2, 0);
}

// The string's block in a string table, added at its end when missing.
Block& String(Block& table, const char* key) {
    for (Block& child : table.children)
        if (child.key == Widen(key))
            return child;
    table.children.emplace_back();
    table.children.back().key = Widen(key);
    return table.children.back();
}

bool StampVersionInfo(const Bytes& in, const Stamp& stamp, const Text& specialBuild, Bytes& out,
                      std::string& error) {
    Block root;
    constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
    if (!ReadBlock(in, 0, in.size(), 0, root) || root.key != Widen("VS_VERSION_INFO") ||
        root.value.size() < 52 || Get32(root.value.data()) != kFixedSignature) {
        error = "its version resource does not read as one";
        return false;
    }
    const Version& v = stamp.version;
    const Text numbers = Widen(Joined(v, ", ").c_str());
    if (stamp.setVersion) {
        // The file version, then the product version, each as its high and low halves.
        for (const std::size_t field : {std::size_t(8), std::size_t(16)}) {
            Put32(root.value.data() + field, std::uint32_t(v.part[0]) << 16 | v.part[1]);
            Put32(root.value.data() + field + 4, std::uint32_t(v.part[2]) << 16 | v.part[3]);
        }
    }
    bool tables = false;
    for (Block& info : root.children) {
        if (info.key != Widen("StringFileInfo"))
            continue;
        for (Block& table : info.children) {
            tables = true;
            if (stamp.setVersion) {
                SetText(String(table, "FileVersion"), numbers);
                SetText(String(table, "ProductVersion"), numbers);
            }
            if (stamp.setSpecialBuild)
                SetText(String(table, "SpecialBuild"), specialBuild);
        }
    }
    if (!tables) {
        error = "its version resource has no string table";
        return false;
    }
    out.clear();
    WriteBlock(root, out);
    return true;
}

bool StampManifest(const Bytes& in, const Version& v, Bytes& out, std::string& error) {
    const std::string text(in.begin(), in.end());
    const std::size_t identity = text.find("<assemblyIdentity");
    const std::size_t close = text.find('>', identity);
    std::size_t value = text.find(" version=\"", identity);
    if (identity == std::string::npos || close == std::string::npos || value > close) {
        error = "its manifest has no assemblyIdentity version";
        return false;
    }
    value += std::strlen(" version=\"");
    const std::size_t end = text.find('"', value);
    if (end > close) {
        error = "its manifest's assemblyIdentity version does not end";
        return false;
    }
    const std::string stamped = text.substr(0, value) + Joined(v, ".") + text.substr(end);
    out.assign(stamped.begin(), stamped.end());
    return true;
}

} // namespace

bool ParseVersion(const std::string& text, Version& version) {
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && (at >= text.size() || text[at++] != '.'))
            return false;
        std::uint32_t number = 0;
        const std::size_t start = at;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 6; ++at)
            number = number * 10 + std::uint32_t(text[at] - '0');
        if (at == start || number > 65535)
            return false;
        version.part[i] = std::uint16_t(number);
    }
    return at == text.size();
}

bool CheckInstallerStub(const Bytes& image, std::string& error) {
    Bytes dialog;
    unsigned language = 0;
    pe::Error e;
    if (!FindResource(image, kDialog, kMainDialog, dialog, language, e)) {
        error = e == pe::Error::notFound || e == pe::Error::noResources
                    ? "not an installer stub: it has no main dialog (dialog template 102)"
                    : e.Text();
        return false;
    }
    // An extended template: version 1, signature 0xFFFF, then 24 bytes of fixed fields, the
    // menu and the window class (each none, an ordinal or a text), then the title.
    std::size_t at = 26;
    bool read =
        dialog.size() >= at && Get16(dialog.data()) == 1 && Get16(dialog.data() + 2) == 0xFFFF;
    Text title;
    for (int field = 0; read && field < 2; ++field) {
        if (at + 2 > dialog.size())
            read = false;
        else if (Get16(dialog.data() + at) == 0)
            at += 2;
        else if (Get16(dialog.data() + at) == 0xFFFF)
            at += 4;
        else
            read = ReadText(dialog, at, dialog.size(), title);
    }
    if (!read || !ReadText(dialog, at, dialog.size(), title) || title != Widen(kMainDialogTitle)) {
        error = std::string("not an installer stub: its dialog template 102 is not the main dialog "
                            "\"") +
                kMainDialogTitle + "\"";
        return false;
    }
    return true;
}

bool StampRelease(const Bytes& stub, const Stamp& stamp, Bytes& out, std::string& error) {
    out = stub;
    if (!stamp.setVersion && !stamp.setSpecialBuild)
        return true;
    Text specialBuild;
    if (stamp.setSpecialBuild &&
        (!FromUtf8(stamp.specialBuild, specialBuild) || specialBuild.size() > kMaxSpecialBuild)) {
        error = "the special-build text must be UTF-8 text without control characters, at most " +
                std::to_string(kMaxSpecialBuild) + " characters";
        return false;
    }
    Bytes resource, stamped, next;
    unsigned language = 0;
    pe::Error e;
    if (!FindResource(out, kVersion, 1, resource, language, e)) {
        error = e == pe::Error::notFound || e == pe::Error::noResources
                    ? "it has no version resource"
                    : e.Text();
        return false;
    }
    if (!StampVersionInfo(resource, stamp, specialBuild, stamped, error))
        return false;
    if ((e = pe::PutResource(out, kVersion, 1, language, stamped, next))) {
        error = e.Text();
        return false;
    }
    out.swap(next);
    if (!stamp.setVersion)
        return true;
    if (!FindResource(out, kManifest, 1, resource, language, e)) {
        error = e == pe::Error::notFound ? "it has no manifest" : e.Text();
        return false;
    }
    if (!StampManifest(resource, stamp.version, stamped, error))
        return false;
    if ((e = pe::PutResource(out, kManifest, 1, language, stamped, next))) {
        error = e.Text();
        return false;
    }
    out.swap(next);
    return true;
}

} // namespace packer
