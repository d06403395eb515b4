// krzpack: builds the installer's payload from the application's four files, and lists,
// verifies and extracts the payload of a payload file or of a built installer.
#include "Packer.h"
#include "PayloadLayout.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using packer::Bytes;

const char kUsage[] =
    "Usage:\n"
    "  krzpack pack OUTPUT KRZ.exe KRZ.hlp KRZ.cnt Uninstall.exe\n"
    "  krzpack list FILE\n"
    "  krzpack verify FILE [KRZ.exe KRZ.hlp KRZ.cnt Uninstall.exe]\n"
    "  krzpack extract FILE DIRECTORY\n"
    "  krzpack --help\n"
    "\n"
    "pack     compresses the four application files, in this order, into the installer's\n"
    "         payload and writes it to OUTPUT.\n"
    "list     prints each entry of the payload: target name, body length, expanded size.\n"
    "verify   expands every entry and checks it against its header and, when the four\n"
    "         source files are given, against them.\n"
    "extract  expands the four files into DIRECTORY under their target names.\n"
    "\n"
    "FILE is a payload written by pack, or an installer executable (PE32 or PE32+) that\n"
    "carries the payload as its RCDATA resource 129.\n"
    "Exit status: 0 success, 1 failure, 2 usage error.\n";

constexpr int kFailure = 1;
constexpr int kUsageError = 2;

int Fail(const std::string& message) {
    std::fprintf(stderr, "krzpack: %s\n", message.c_str());
    return kFailure;
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "krzpack: %s\n%s", message.c_str(), kUsage);
    return kUsageError;
}

bool ReadFile(const std::string& path, Bytes& bytes, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    std::uint8_t buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    const bool failed = std::ferror(f) != 0;
    const int savedErrno = errno;
    std::fclose(f);
    if (failed) {
        error = path + ": " + std::strerror(savedErrno);
        return false;
    }
    return true;
}

// Writes `bytes` to a new temporary file beside `path`; the caller renames it into place.
bool WriteTemporary(const std::string& path, const Bytes& bytes, std::string& temporary,
                    std::string& error) {
    temporary = path + ".krzpack-" + std::to_string(getpid());
    std::FILE* f = std::fopen(temporary.c_str(), "wbx");
    if (!f) {
        error = temporary + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const int savedErrno = errno;
    if (std::fclose(f) != 0 || !written) {
        error = temporary + ": " + std::strerror(written ? errno : savedErrno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

// Writes every file or none: all go to temporary names first, then are renamed.
bool WriteAll(const std::vector<std::string>& paths, const std::vector<Bytes>& contents,
              std::string& error) {
    std::vector<std::string> temporaries;
    bool ok = true;
    for (std::size_t i = 0; ok && i < paths.size(); ++i) {
        std::string temporary;
        ok = WriteTemporary(paths[i], contents[i], temporary, error);
        if (ok)
            temporaries.push_back(temporary);
    }
    for (std::size_t i = 0; ok && i < temporaries.size(); ++i) {
        if (std::rename(temporaries[i].c_str(), paths[i].c_str()) != 0) {
            error = paths[i] + ": " + std::strerror(errno);
            ok = false;
        } else {
            temporaries[i].clear();
        }
    }
    for (const std::string& temporary : temporaries)
        if (!temporary.empty())
            std::remove(temporary.c_str());
    return ok;
}

struct Input {
    Bytes file;
    packer::Located located;
    const std::uint8_t* payload() const { return file.data() + located.offset; }
};

bool Load(const std::string& path, Input& input, std::string& error) {
    if (!ReadFile(path, input.file, error))
        return false;
    if (!packer::LocatePayload(input.file, input.located, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

int Pack(const std::vector<std::string>& args) {
    if (args.size() != 1 + std::size_t(payload::kFileCount))
        return Usage("pack needs an output and four input files");
    std::vector<Bytes> files(payload::kFileCount);
    std::string error;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (!ReadFile(args[1 + i], files[i], error))
            return Fail(error);
    Bytes payload;
    if (!packer::BuildPayload(files, payload, error))
        return Fail(error);
    if (!WriteAll({args[0]}, {payload}, error))
        return Fail(error);
    return 0;
}

int List(const std::vector<std::string>& args) {
    if (args.size() != 1)
        return Usage("list needs one file");
    Input input;
    std::string error;
    if (!Load(args[0], input, error))
        return Fail(error);
    std::vector<packer::EntryInfo> entries;
    const bool ok = packer::ReadEntries(input.payload(), input.located.size, entries, error);
    std::printf("%s: %s\n", args[0].c_str(), input.located.description.c_str());
    std::printf("%5s %10s  %-14s %10s %10s\n", "entry", "offset", "name", "body", "expanded");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const packer::EntryInfo& e = entries[i];
        std::printf("%5zu %10zu  %-14s %10u ", i + 1, e.offset,
                    e.name.empty() ? "(not read)" : e.name.c_str(), e.bodyLength);
        if (e.headerError.empty())
            std::printf("%10u\n", e.expandedSize);
        else
            std::printf("%10s  (%s)\n", "?", e.headerError.c_str());
    }
    if (!ok)
        return Fail(args[0] + ": " + error);
    std::printf("%zu entries, end marker at offset %zu\n", entries.size(), input.located.size - 4);
    return 0;
}

int Verify(const std::vector<std::string>& args) {
    if (args.size() != 1 && args.size() != 1 + std::size_t(payload::kFileCount))
        return Usage("verify needs a file and, optionally, the four source files");
    Input input;
    std::string error;
    if (!Load(args[0], input, error))
        return Fail(error);
    std::vector<Bytes> files;
    if (!packer::ExpandAll(input.payload(), input.located.size, files, error))
        return Fail(args[0] + ": " + error);
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        Bytes source;
        if (!ReadFile(args[1 + i], source, error))
            return Fail(error);
        if (source != files[i]) {
            std::size_t at = 0;
            while (at < source.size() && at < files[i].size() && source[at] == files[i][at])
                ++at;
            return Fail(args[0] + ": entry " + std::to_string(i + 1) + " (" +
                        payload::kFileList[i] + ") differs from " + args[1 + i] + " at byte " +
                        std::to_string(at) + " (" + std::to_string(files[i].size()) +
                        " bytes against " + std::to_string(source.size()) + ")");
        }
    }
    std::printf("%s: %zu entries verified%s\n", args[0].c_str(), files.size(),
                args.size() > 1 ? " against the source files" : "");
    return 0;
}

int Extract(const std::vector<std::string>& args) {
    if (args.size() != 2)
        return Usage("extract needs a file and a directory");
    Input input;
    std::string error;
    if (!Load(args[0], input, error))
        return Fail(error);
    std::vector<Bytes> files;
    if (!packer::ExpandAll(input.payload(), input.located.size, files, error))
        return Fail(args[0] + ": " + error);
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < files.size(); ++i)
        paths.push_back(args[1] + "/" + payload::kFileList[i]);
    if (!WriteAll(paths, files, error))
        return Fail(error);
    for (std::size_t i = 0; i < files.size(); ++i)
        std::printf("%s  %zu bytes\n", paths[i].c_str(), files[i].size());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage("no command given");
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "pack")
        return Pack(args);
    if (command == "list")
        return List(args);
    if (command == "verify")
        return Verify(args);
    if (command == "extract")
        return Extract(args);
    return Usage("unknown command '" + command + "'");
}
