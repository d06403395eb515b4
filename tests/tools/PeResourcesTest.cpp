#include "PeBuilder.h"
#include "PeImage.h"
#include "PeResourceWriter.h"
#include "PeResources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

namespace pe {

// Failures print their text.
void PrintTo(const Error& error, std::ostream* out) {
    *out << (error ? error.Text() : "none");
}

} // namespace pe

namespace {

using pe::Error;
using pebuilder::Bytes;
using pebuilder::Layout;

const Bytes kData = {'p', 'a', 'y', 'l', 'o', 'a', 'd', 0, 1, 2, 3};

// The resource search on an image whose headers are read first, as the packer reads them.
Error Find(const Bytes& image, unsigned type, unsigned name, pe::Resource& found,
           pe::Headers& headers) {
    if (const Error error = pe::ReadHeaders(image.data(), image.size(), headers))
        return error;
    return pe::FindResourceData(image.data(), image.size(), headers, type, name, 1033, found);
}

Error Find(const Bytes& image, unsigned type, unsigned name, pe::Resource& found) {
    pe::Headers headers;
    return Find(image, type, name, found, headers);
}

TEST(PeResources, FindsResourceInBothKinds) {
    for (bool plus : {false, true}) {
        Layout layout;
        const Bytes image = pebuilder::Build(plus, kData, layout);
        pe::Resource found;
        pe::Headers headers;
        ASSERT_EQ(Find(image, 10, 129, found, headers), Error::none) << plus;
        EXPECT_EQ(headers.pe32Plus, plus);
        EXPECT_EQ(found.offset, layout.data);
        EXPECT_EQ(found.size, kData.size());
        EXPECT_EQ(found.language, 1033u);
    }
}

TEST(PeResources, LanguageChoice) {
    struct Case {
        std::vector<unsigned> languages;
        unsigned expected;
        bool isMain; // the version carrying kData
    } cases[] = {
        {{1033}, 1033, true},
        {{1031, 1033}, 1033, false}, // the wanted language wins over the first
        {{1031}, 1031, true},        // else the first one
    };
    for (const Case& c : cases) {
        Layout layout;
        const Bytes image = pebuilder::Build(false, kData, layout, 129, c.languages);
        pe::Resource found;
        ASSERT_EQ(Find(image, 10, 129, found), Error::none);
        EXPECT_EQ(found.language, c.expected);
        EXPECT_EQ(found.size == kData.size(), c.isMain);
    }
}

TEST(PeResources, DamagedImages) {
    struct Case {
        const char* name;
        void (*damage)(Bytes&, const Layout&);
        Error expected;
    } cases[] = {
        {"no MZ", [](Bytes& b, const Layout&) { b[0] = 'Z'; }, Error::notExecutable},
        {"PE offset beyond the file",
         [](Bytes& b, const Layout& l) { pebuilder::Put32(b, l.peOffsetField, 0xFFFFFFF0); },
         Error::badHeaders},
        {"bad PE signature", [](Bytes& b, const Layout& l) { b[l.peSignature + 1] = 'X'; },
         Error::badHeaders},
        {"no sections", [](Bytes& b, const Layout& l) { pebuilder::Put16(b, l.sectionCount, 0); },
         Error::badHeaders},
        {"section table beyond the file",
         [](Bytes& b, const Layout& l) { pebuilder::Put16(b, l.sectionCount, 90); },
         Error::badHeaders},
        {"optional header too large",
         [](Bytes& b, const Layout& l) { pebuilder::Put16(b, l.optionalSize, 0xFFFF); },
         Error::badHeaders},
        {"optional header too small for its fields",
         [](Bytes& b, const Layout& l) { pebuilder::Put16(b, l.optionalSize, 40); },
         Error::badHeaders},
        {"unknown optional header",
         [](Bytes& b, const Layout& l) { pebuilder::Put16(b, l.optionalMagic, 0x107); },
         Error::badHeaders},
        {"two data directories only",
         [](Bytes& b, const Layout& l) { pebuilder::Put32(b, l.directoryCount, 2); },
         Error::noResources},
        {"resource directory empty",
         [](Bytes& b, const Layout& l) { pebuilder::Put32(b, l.resourceDirectory, 0); },
         Error::noResources},
        {"resource directory outside every section",
         [](Bytes& b, const Layout& l) { pebuilder::Put32(b, l.resourceDirectory, 0x9000); },
         Error::badDirectory},
        {"section data beyond the file",
         [](Bytes& b, const Layout& l) { pebuilder::Put32(b, l.sectionHeader + 20, 0x7FFFFFF0); },
         Error::badDirectory},
        {"no such type", [](Bytes& b, const Layout& l) { pebuilder::Put32(b, l.typeEntry, 11); },
         Error::notFound},
        {"no such name", [](Bytes& b, const Layout& l) { pebuilder::Put32(b, l.nameEntry, 130); },
         Error::notFound},
        {"name given as a string",
         [](Bytes& b, const Layout& l) { pebuilder::Put32(b, l.nameEntry, 0x80000000 | 129); },
         Error::notFound},
        {"type leads to data instead of a directory",
         [](Bytes& b, const Layout& l) { b[l.typeEntry + 7] &= 0x7F; }, Error::badDirectory},
        {"language leads to a directory",
         [](Bytes& b, const Layout& l) { b[l.languageEntry + 7] |= 0x80; }, Error::badDirectory},
        {"no languages",
         [](Bytes& b, const Layout& l) { pebuilder::Put16(b, l.languageDirectory + 14, 0); },
         Error::badDirectory},
        {"entry count beyond the section",
         [](Bytes& b, const Layout& l) { pebuilder::Put16(b, l.languageDirectory + 12, 0xFFFF); },
         Error::badDirectory},
        {"subdirectory offset beyond the section",
         [](Bytes& b, const Layout& l) { pebuilder::Put32(b, l.typeEntry + 4, 0xFFFFFFFF); },
         Error::badDirectory},
        {"data beyond the section",
         [](Bytes& b, const Layout& l) { pebuilder::Put32(b, l.dataEntry + 4, 0x10000); },
         Error::badDirectory},
        {"data size wraps around",
         [](Bytes& b, const Layout& l) { pebuilder::Put32(b, l.dataEntry + 4, 0xFFFFFFFF); },
         Error::badDirectory},
    };
    for (bool plus : {false, true})
        for (const Case& c : cases) {
            Layout layout;
            Bytes image = pebuilder::Build(plus, kData, layout);
            c.damage(image, layout);
            pe::Resource found;
            EXPECT_EQ(Find(image, 10, 129, found), c.expected)
                << c.name << (plus ? " (PE32+)" : " (PE32)");
        }
}

// Every cut before the end of the resource's bytes loses something the search needs.
TEST(PeResources, EveryTruncationFails) {
    Layout layout;
    const Bytes image = pebuilder::Build(true, kData, layout);
    for (std::size_t cut = 0; cut < layout.data + kData.size(); ++cut) {
        const Bytes part(image.begin(), image.begin() + std::ptrdiff_t(cut));
        pe::Resource found;
        EXPECT_NE(Find(part, 10, 129, found), Error::none) << cut;
    }
}

// A real executable of the platform, with many resources in many languages; its resource
// section is followed by the base relocations and debug sections.
Bytes RealExecutable() {
    std::ifstream f("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/notepad.exe", std::ios::binary);
    return Bytes{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

TEST(PeResources, RealExecutable) {
    const Bytes image = RealExecutable();
    ASSERT_GT(image.size(), 10000u);
    // The manifest (type 24, id 1) exists in the neutral language only.
    pe::Resource found;
    pe::Headers headers;
    ASSERT_EQ(Find(image, 24, 1, found, headers), Error::none);
    EXPECT_TRUE(headers.pe32Plus);
    EXPECT_EQ(found.language, 0u);
    const std::string manifest(image.begin() + std::ptrdiff_t(found.offset),
                               image.begin() + std::ptrdiff_t(found.offset + found.size));
    EXPECT_NE(manifest.find("<assembly"), std::string::npos);
    EXPECT_NE(manifest.find("</assembly>"), std::string::npos);
    // The main menu in US English, one of dozens of languages.
    ASSERT_EQ(Find(image, 4, 0x201, found), Error::none);
    EXPECT_EQ(found.language, 1033u);
    ASSERT_GT(found.size, 4u);
    const std::uint8_t* menu = image.data() + found.offset;
    const unsigned version = unsigned(menu[0] | menu[1] << 8);
    EXPECT_TRUE(version == 0 || version == 1) << version;
}

const pe::Section* Named(const pe::Headers& headers, const char* name) {
    for (const pe::Section& s : headers.sections)
        if (std::string(s.name) == name)
            return &s;
    return nullptr;
}

// The payload goes into the real executable's resources; the other resources, the sections
// behind (moved) and every header field that depends on them follow.
TEST(PeResourceWriter, RealExecutable) {
    const Bytes image = RealExecutable();
    Bytes payload(150001);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = std::uint8_t(i * 7 + i / 251);
    Bytes out;
    ASSERT_EQ(pe::PutResource(image, 10, 129, 1033, payload, out), Error::none);
    // Read back by the tests' own reader, which shares nothing with the writer.
    EXPECT_TRUE(pebuilder::ReadResource(out, 10, 129, 1033) == payload);
    const unsigned others[][3] = {{24, 1, 0}, {4, 0x201, 1033}}; // manifest, menu
    for (const auto& o : others)
        EXPECT_TRUE(pebuilder::ReadResource(out, o[0], o[1], o[2]) ==
                    pebuilder::ReadResource(image, o[0], o[1], o[2]))
            << o[0];

    pe::Headers before, after;
    ASSERT_EQ(pe::ReadHeaders(image.data(), image.size(), before), Error::none);
    ASSERT_EQ(pe::ReadHeaders(out.data(), out.size(), after), Error::none);
    ASSERT_EQ(before.sections.size(), after.sections.size());
    const pe::Section* rsrc = Named(after, ".rsrc");
    ASSERT_NE(rsrc, nullptr);
    EXPECT_EQ(rsrc->rawOffset, Named(before, ".rsrc")->rawOffset);
    std::uint32_t rva, size;
    pe::DataDirectory(out.data(), after, pe::kResourceDirectory, rva, size);
    EXPECT_EQ(rva, rsrc->virtualAddress);
    EXPECT_EQ(size, rsrc->virtualSize);
    const std::uint32_t rawAfter = rsrc->rawOffset + rsrc->rawSize;
    std::uint32_t addressAfter = rsrc->virtualAddress + rsrc->virtualSize;
    for (std::size_t i = 0; i < after.sections.size(); ++i) {
        const pe::Section& b = before.sections[i];
        const pe::Section& a = after.sections[i];
        SCOPED_TRACE(a.name);
        if (a.virtualAddress <= rsrc->virtualAddress)
            continue;
        // Behind the resource section: the same bytes, moved by whole alignments.
        EXPECT_EQ(a.virtualAddress % after.sectionAlignment, 0u);
        EXPECT_GE(a.virtualAddress, addressAfter);
        EXPECT_EQ(a.rawOffset, b.rawOffset - Named(before, ".rsrc")->rawSize + rsrc->rawSize);
        EXPECT_GE(a.rawOffset, rawAfter);
        EXPECT_TRUE(std::equal(image.begin() + b.rawOffset, image.begin() + b.rawOffset + b.rawSize,
                               out.begin() + a.rawOffset));
        addressAfter = a.virtualAddress + a.virtualSize;
    }
    const pe::Section& reloc = *Named(after, ".reloc");
    pe::DataDirectory(out.data(), after, pe::kRelocationDirectory, rva, size);
    EXPECT_EQ(rva, reloc.virtualAddress);
    const std::uint8_t* optional = &out[after.optional];
    EXPECT_EQ(pe::Get32(optional + pe::Headers::kSizeOfImage),
              (addressAfter + after.sectionAlignment - 1) / after.sectionAlignment *
                  after.sectionAlignment);
    // Linkers differ in what they count; the resource section's growth is added.
    EXPECT_EQ(pe::Get32(optional + pe::Headers::kSizeOfInitializedData),
              pe::Get32(&image[before.optional + pe::Headers::kSizeOfInitializedData]) +
                  rsrc->rawSize - Named(before, ".rsrc")->rawSize);
    // The original carries a checksum, so the result carries its own.
    EXPECT_NE(pe::Get32(&image[before.optional + pe::Headers::kCheckSum]), 0u);
    EXPECT_EQ(pe::Get32(optional + pe::Headers::kCheckSum),
              pe::Checksum(out.data(), out.size(), after));

    // Another payload in its place gives the file that putting it into the original gives.
    const Bytes small = {'s', 'm', 'a', 'l', 'l'};
    Bytes fromOriginal, replaced;
    ASSERT_EQ(pe::PutResource(image, 10, 129, 1033, small, fromOriginal), Error::none);
    ASSERT_EQ(pe::PutResource(out, 10, 129, 1033, small, replaced), Error::none);
    EXPECT_TRUE(replaced == fromOriginal);
    EXPECT_LT(replaced.size(), out.size());
}

} // namespace
