// Writes the application's help file: a 16-byte header (3F 5F 03 00, the directory's offset,
// no free block, the file size), then internal files (system record, topic text, context
// table) and a directory naming them. The topic text is assembled from fixed phrases with a
// fixed seed, so every run writes the same bytes. Built and run by sample/make-sample.sh.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& out, unsigned v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void Put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}

void PutText(Bytes& out, const std::string& s) {
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
}

struct Topic {
    const char* context;
    const char* title;
    int paragraphs;
};

const Topic kTopics[] = {
    {"main", "Quorbelix Help Contents", 2},
    {"start_topic", "Starting Quorbelix", 4},
    {"window_topic", "The Quorbelix Window", 6},
    {"new_note", "Writing a New Note", 5},
    {"open_note", "Opening a Note", 4},
    {"save_note", "Saving a Note", 4},
    {"word_wrap", "Word Wrap", 3},
    {"statistics", "Counting Characters and Lines", 3},
    {"keyboard", "Keyboard Shortcuts", 5},
    {"files_topic", "Files Quorbelix Uses", 4},
    {"uninstall_topic", "Removing Quorbelix", 3},
    {"trouble_topic", "Troubleshooting", 12},
    {"glossary", "Glossary", 14},
    {"about_topic", "About Quorbelix", 2},
};

const char* const kSubjects[] = {"Quorbelix",    "The note window", "The File menu",
                                 "A saved note", "The text area",   "The status of a note",
                                 "Word wrap",    "The Help menu",   "Each command"};
const char* const kVerbs[] = {"keeps",     "shows",  "opens",    "saves", "lists",
                              "remembers", "checks", "arranges", "marks"};
const char* const kObjects[] = {"the text you type",        "your notes in one folder",
                                "the last file you opened", "every line of the note",
                                "the number of characters", "the name of the file",
                                "a copy on the disk",       "the position of the cursor"};
const char* const kTails[] = {"when you choose the command.", "until you close the window.",
                              "in the same folder.",          "as plain text.",
                              "without asking again.",        "for each note separately.",
                              "before anything is changed.",  "so that nothing is lost."};

std::uint32_t g_seed = 20050117;

std::size_t Pick(std::size_t n) {
    g_seed = g_seed * 1103515245u + 12345u;
    return (g_seed >> 16) % n;
}

template <std::size_t N> const char* Any(const char* const (&list)[N]) {
    return list[Pick(N)];
}

std::string Paragraph() {
    std::string p;
    for (std::size_t n = 3 + Pick(4); n > 0; --n) {
        p += Any(kSubjects);
        p += ' ';
        p += Any(kVerbs);
        p += ' ';
        p += Any(kObjects);
        p += ' ';
        p += Any(kTails);
        p += ' ';
    }
    return p;
}

// An internal file: space reserved, space used, a flag byte, then its data.
void PutInternalFile(Bytes& out, const Bytes& data) {
    Put32(out, std::uint32_t(data.size() + 9));
    Put32(out, std::uint32_t(data.size()));
    out.push_back(0x04);
    out.insert(out.end(), data.begin(), data.end());
}

std::uint32_t ContextHash(const std::string& context) {
    std::uint32_t hash = 0;
    for (char c : context)
        hash = hash * 43 + std::uint32_t(std::uint8_t(c));
    return hash;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: MakeHelp OUTPUT\n");
        return 2;
    }
    Bytes system, topics, contexts, bitmap;
    Put16(system, 0x036C);
    Put16(system, 21);
    Put16(system, 1);
    Put32(system, 1105966800); // 17 January 2005, 13:00 UTC
    Put16(system, 0);
    PutText(system, "Quorbelix Help");
    PutText(system, "Copyright 2005 Quorbelix");

    Put32(contexts, std::uint32_t(sizeof kTopics / sizeof kTopics[0]));
    for (const Topic& topic : kTopics) {
        Put32(contexts, ContextHash(topic.context));
        Put32(contexts, std::uint32_t(topics.size()));
        Bytes record;
        PutText(record, topic.title);
        for (int i = 0; i < topic.paragraphs; ++i)
            PutText(record, Paragraph());
        Put32(topics, std::uint32_t(record.size()));
        topics.insert(topics.end(), record.begin(), record.end());
    }

    // The window's picture: a 16-colour bitmap of 160 x 160 pixels, shaded with noise.
    const char bitmapHeader[] = "BM";
    bitmap.insert(bitmap.end(), bitmapHeader, bitmapHeader + 2);
    Put32(bitmap, 160);
    Put32(bitmap, 160);
    Put16(bitmap, 4);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 80; ++x) {
            const unsigned shade = unsigned(x / 10 + y / 20) & 15;
            const unsigned noise = unsigned(Pick(4));
            bitmap.push_back(std::uint8_t(((shade + noise) & 15) << 4 | ((shade + Pick(3)) & 15)));
        }

    Bytes file = {0x3F, 0x5F, 0x03, 0x00};
    Put32(file, 0); // directory offset, filled in below
    Put32(file, 0xFFFFFFFF);
    Put32(file, 0); // file size, filled in below
    struct {
        const char* name;
        const Bytes* data;
        std::uint32_t offset;
    } entries[] = {{"|SYSTEM", &system, 0},
                   {"|TOPIC", &topics, 0},
                   {"|CONTEXT", &contexts, 0},
                   {"|bm0", &bitmap, 0}};
    for (auto& e : entries) {
        e.offset = std::uint32_t(file.size());
        PutInternalFile(file, *e.data);
    }
    Bytes directory;
    Put16(directory, sizeof entries / sizeof entries[0]);
    for (const auto& e : entries) {
        PutText(directory, e.name);
        Put32(directory, e.offset);
    }
    const std::uint32_t directoryOffset = std::uint32_t(file.size());
    PutInternalFile(file, directory);
    for (int i = 0; i < 4; ++i) {
        file[4 + i] = std::uint8_t(directoryOffset >> (8 * i));
        file[12 + i] = std::uint8_t(file.size() >> (8 * i));
    }

    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(file.data(), 1, file.size(), f) != file.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
