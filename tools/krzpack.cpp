// krzpack: builds the installer from its stub and the application's four files, builds the
// payload alone, and lists, verifies and extracts the payload of a payload file or of a built
// installer.
#include "Packer.h"
#include "PayloadLayout.h"
#include "PeResourceWriter.h"
#include "ReleaseStamp.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using packer::Bytes;

constexpr int kFailure = 1;
constexpr int kUsageError = 2;

struct Options {
    bool force = false;
    packer::Stamp stamp;
};

using Run = int (*)(const std::vector<std::string>& operands, const Options& options);

struct Command {
    const char* name;
    const char* synopsis; // after "krzpack NAME "
    const char* help;
    Run run;
    bool takesForce;
    bool takesStamp; // --set-version, --special-build
};

int Build(const std::vector<std::string>&, const Options&);
int Pack(const std::vector<std::string>&, const Options&);
int List(const std::vector<std::string>&, const Options&);
int Verify(const std::vector<std::string>&, const Options&);
int Extract(const std::vector<std::string>&, const Options&);

const Command kCommands[] = {
    {"build",
     "OUTPUT STUB KRZ.exe KRZ.hlp KRZ.cnt Uninstall.exe\n"
     "                [--set-version A.B.C.D] [--special-build TEXT]",
     "Writes a complete installer to OUTPUT: STUB (the installer without\n"
     "its payload) carrying the four application files, given in this order,\n"
     "compressed. An existing OUTPUT is replaced. A file may have any name\n"
     "but another one of the four (KRZ.exe given as the help file is\n"
     "refused). STUB must be an installer stub: its main dialog (dialog\n"
     "template 102) is \"Setup Quorbelix\".\n"
     "--set-version A.B.C.D  the release's file and product version (four\n"
     "                       numbers of 0 to 65535), written into the\n"
     "                       version resource and the manifest\n"
     "--special-build TEXT   its \"SpecialBuild\" text, which the installer\n"
     "                       records in the application path entry\n",
     Build, false, true},
    {"pack", "OUTPUT KRZ.exe KRZ.hlp KRZ.cnt Uninstall.exe",
     "Compresses the four application files, in this order, into the\n"
     "installer's payload alone and writes it to OUTPUT. An existing OUTPUT\n"
     "is replaced.\n",
     Pack, false, false},
    {"list", "FILE",
     "Prints each entry of the payload of FILE: target name, body length,\n"
     "expanded size.\n",
     List, false, false},
    {"verify", "FILE [KRZ.exe KRZ.hlp KRZ.cnt Uninstall.exe]",
     "Checks that the installer FILE is whole (its every section and the\n"
     "certificates of a signature lie within the file), expands every entry\n"
     "of its payload and checks it against its header and, when the four\n"
     "source files are given, against them.\n",
     Verify, false, false},
    {"extract", "[--force] FILE DIRECTORY",
     "Expands the four files of the payload of FILE into the existing\n"
     "DIRECTORY under their target names: all of them or, on any failure,\n"
     "none. Files already there are replaced only with --force.\n",
     Extract, true, false},
};

const char kFooter[] = "FILE is a payload written by pack, or an installer (PE32 or PE32+, signed\n"
                       "or not) that carries the payload as its RCDATA resource 129.\n"
                       "Exit status: 0 success, 1 failure, 2 usage error.\n";

std::string Synopsis(const Command& c) {
    return std::string("  krzpack ") + c.name + " " + c.synopsis + "\n";
}

std::string GeneralHelp() {
    std::string text = "Usage:\n";
    for (const Command& c : kCommands)
        text += Synopsis(c);
    text += "  krzpack COMMAND --help\n  krzpack --help | --version\n\n";
    for (const Command& c : kCommands) {
        std::string help = c.help;
        std::string indented;
        for (std::size_t at = 0; at < help.size();) {
            const std::size_t end = help.find('\n', at);
            indented += (at == 0 ? std::string(c.name) + std::string(9 - std::strlen(c.name), ' ')
                                 : std::string(9, ' ')) +
                        help.substr(at, end - at + 1);
            at = end + 1;
        }
        text += indented;
    }
    return text + "\n" + kFooter;
}

std::string CommandHelp(const Command& c) {
    return "Usage:\n" + Synopsis(c) + "\n" + c.help + "\n" + kFooter;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "krzpack: %s\n", message.c_str());
    return kFailure;
}

int Usage(const std::string& message, const Command* command = nullptr) {
    const std::string usage = command ? "Usage:\n" + Synopsis(*command) : GeneralHelp();
    std::fprintf(stderr, "krzpack: %s\n%s", message.c_str(), usage.c_str());
    return kUsageError;
}

// The most a stub or an installer read as FILE may hold: a stub of some hundred kilobytes and
// four files of at most kExpansionLimit bytes, compressed, fit many times over.
constexpr std::size_t kMaxExecutable = std::size_t(64) << 20;

// Reads a regular file of at most `limit` bytes (reading one byte more at most, to tell).
// Anything else is refused before it is read: a folder, a FIFO or a device (which could block
// or never end), a file over the limit, which `tooLarge` explains.
bool ReadFile(const std::string& path, std::size_t limit, const char* tooLarge, Bytes& bytes,
              std::string& error) {
    // Not blocking in open: a FIFO would wait there for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        error = path + ": " + std::strerror(errno);
        if (fd >= 0)
            close(fd);
        return false;
    }
    bytes.clear();
    bool ok = S_ISREG(st.st_mode);
    if (!ok)
        error = path + (S_ISDIR(st.st_mode) ? ": is a folder" : ": not a regular file");
    std::uint8_t buffer[65536];
    while (ok && bytes.size() <= limit) {
        const std::size_t want = std::min(sizeof buffer, limit + 1 - bytes.size());
        const ssize_t n = read(fd, buffer, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = path + ": " + std::strerror(errno);
            ok = false;
        } else if (n == 0) {
            break;
        } else {
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
    }
    if (ok && bytes.size() > limit) {
        error = path + ": more than " + std::to_string(limit) + " bytes; " + tooLarge;
        ok = false;
    }
    close(fd);
    if (!ok)
        bytes.clear();
    return ok;
}

bool ReadExecutable(const std::string& path, Bytes& bytes, std::string& error) {
    return ReadFile(path, kMaxExecutable, "no installer is that large", bytes, error);
}

bool ReadSource(const std::string& path, Bytes& bytes, std::string& error) {
    return ReadFile(path, packer::kExpansionLimit, "the installer expands at most that many", bytes,
                    error);
}

// Refuses an OUTPUT that is one of the inputs, however spelled (another path, a link): it would
// be replaced before anyone noticed.
bool OutputIsNoInput(const std::string& output, const std::vector<std::string>& inputs,
                     std::string& error) {
    struct stat out, in;
    if (stat(output.c_str(), &out) != 0)
        return true;
    for (const std::string& input : inputs)
        if (stat(input.c_str(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
            error = output + ": is the input " + input + "; nothing was written";
            return false;
        }
    return true;
}

std::string Temporary(const std::string& path, const char* kind) {
    return path + ".krzpack-" + kind + "-" + std::to_string(getpid());
}

// Writes `bytes` to a new temporary file beside `path`; the caller renames it into place.
// Errors name `path`: the temporary file is ours, not the user's.
bool WriteTemporary(const std::string& path, const Bytes& bytes, mode_t mode,
                    std::string& temporary, std::string& error) {
    temporary = Temporary(path, "new");
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
    std::FILE* f = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!f) {
        error = path + ": " + std::strerror(errno);
        if (fd >= 0) {
            close(fd);
            std::remove(temporary.c_str());
        }
        temporary.clear();
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const int savedErrno = errno;
    if (std::fclose(f) != 0 || !written) {
        error = path + ": " + std::strerror(written ? errno : savedErrno);
        std::remove(temporary.c_str());
        temporary.clear();
        return false;
    }
    return true;
}

// Writes every file or none (`mode` 0777 for programs, as a linker writes them). All are
// written under temporary names first; then each existing file is moved aside and its new
// content renamed into place. A failure on the way puts everything back as it was; a folder
// in the way is a failure.
bool WriteAll(const std::vector<std::string>& paths, const std::vector<Bytes>& contents,
              std::string& error, mode_t mode = 0666) {
    std::vector<std::string> temporaries(paths.size()), asides(paths.size());
    std::size_t placed = 0;
    bool ok = true;
    for (std::size_t i = 0; ok && i < paths.size(); ++i)
        ok = WriteTemporary(paths[i], contents[i], mode, temporaries[i], error);
    for (; ok && placed < paths.size(); ++placed) {
        struct stat st;
        if (lstat(paths[placed].c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) {
                error = paths[placed] + ": is a folder";
                ok = false;
                break;
            }
            asides[placed] = Temporary(paths[placed], "old");
            if (std::rename(paths[placed].c_str(), asides[placed].c_str()) != 0) {
                error = paths[placed] + ": " + std::strerror(errno);
                asides[placed].clear();
                ok = false;
                break;
            }
        }
        if (std::rename(temporaries[placed].c_str(), paths[placed].c_str()) != 0) {
            error = paths[placed] + ": " + std::strerror(errno);
            ok = false;
            break;
        }
        temporaries[placed].clear();
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!ok && i < placed)
            std::remove(paths[i].c_str());
        if (!ok && !asides[i].empty())
            std::rename(asides[i].c_str(), paths[i].c_str());
        else if (!asides[i].empty())
            std::remove(asides[i].c_str());
        if (!temporaries[i].empty())
            std::remove(temporaries[i].c_str());
    }
    return ok;
}

bool ReadSources(const std::vector<std::string>& paths, std::vector<Bytes>& files,
                 std::string& error) {
    files.assign(paths.size(), Bytes());
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (!ReadSource(paths[i], files[i], error))
            return false;
    return true;
}

struct Input {
    Bytes file;
    packer::Located located;
    const std::uint8_t* payload() const { return file.data() + located.offset; }
};

bool Load(const std::string& path, Input& input, std::string& error) {
    if (!ReadExecutable(path, input.file, error))
        return false;
    if (!packer::LocatePayload(input.file, input.located, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

// Refuses a source named as another of the four targets: the files in another order.
bool InFileListOrder(const std::vector<std::string>& sources, std::string& error) {
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::size_t slash = sources[i].rfind('/');
        const std::string name =
            slash == std::string::npos ? sources[i] : sources[i].substr(slash + 1);
        for (std::size_t j = 0; j < sources.size(); ++j)
            if (j != i && strcasecmp(name.c_str(), payload::kFileList[j]) == 0) {
                error = sources[i] + ": given as file " + std::to_string(i + 1) + " (" +
                        payload::kFileList[i] + ") but named as file " + std::to_string(j + 1) +
                        "; the files go in the order KRZ.exe KRZ.hlp KRZ.cnt Uninstall.exe";
                return false;
            }
    }
    return true;
}

int Build(const std::vector<std::string>& args, const Options& options) {
    const std::vector<std::string> sources(args.begin() + 2, args.end());
    Bytes stub, stamped, payload, installer;
    std::vector<Bytes> files;
    std::string error;
    if (!InFileListOrder(sources, error) ||
        !OutputIsNoInput(args[0], std::vector<std::string>(args.begin() + 1, args.end()), error) ||
        !ReadExecutable(args[1], stub, error))
        return Fail(error + "; nothing was written");
    if (!packer::CheckInstallerStub(stub, error) ||
        !packer::StampRelease(stub, options.stamp, stamped, error))
        return Fail(args[1] + ": " + error + "; nothing was written");
    if (!ReadSources(sources, files, error) ||
        !packer::BuildPayload(files, payload, error, sources))
        return Fail(error);
    if (const pe::Error e = pe::PutResource(stamped, payload::kResourceType, payload::kResourceId,
                                            payload::kResourceLanguage, payload, installer))
        return Fail(args[1] + ": " + e.Text());
    if (!WriteAll({args[0]}, {installer}, error, 0777))
        return Fail(error);
    return 0;
}

int Pack(const std::vector<std::string>& args, const Options&) {
    const std::vector<std::string> sources(args.begin() + 1, args.end());
    std::vector<Bytes> files;
    Bytes payload;
    std::string error;
    if (!OutputIsNoInput(args[0], sources, error) || !ReadSources(sources, files, error) ||
        !packer::BuildPayload(files, payload, error, sources) ||
        !WriteAll({args[0]}, {payload}, error))
        return Fail(error);
    return 0;
}

int List(const std::vector<std::string>& args, const Options&) {
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

int Verify(const std::vector<std::string>& args, const Options&) {
    Input input;
    std::string error;
    if (!Load(args[0], input, error))
        return Fail(error);
    if (!packer::CheckWholeFile(input.file, input.located, error))
        return Fail(args[0] + ": " + error);
    std::vector<Bytes> files;
    if (!packer::ExpandAll(input.payload(), input.located.size, files, error))
        return Fail(args[0] + ": " + error);
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        Bytes source;
        if (!ReadSource(args[1 + i], source, error))
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

int Extract(const std::vector<std::string>& args, const Options& options) {
    const std::string& folder = args[1];
    struct stat st;
    if (stat(folder.c_str(), &st) != 0)
        return Fail(folder + ": " + std::strerror(errno));
    if (!S_ISDIR(st.st_mode))
        return Fail(folder + ": not a folder");
    std::vector<std::string> paths, existing;
    const std::string prefix = folder.back() == '/' ? folder : folder + "/";
    for (const char* name : payload::kFileList) {
        paths.push_back(prefix + name);
        if (lstat(paths.back().c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            return Fail(paths.back() + ": is a folder; nothing was extracted");
        existing.push_back(paths.back());
    }
    if (!existing.empty() && !options.force) {
        std::string names;
        for (const std::string& path : existing)
            names += (names.empty() ? "" : ", ") + path;
        return Fail(names + (existing.size() == 1 ? " exists" : " exist") +
                    "; nothing was extracted (--force replaces existing files)");
    }

    Input input;
    std::string error;
    if (!Load(args[0], input, error))
        return Fail(error);
    std::vector<Bytes> files;
    if (!packer::ExpandAll(input.payload(), input.located.size, files, error))
        return Fail(args[0] + ": " + error);
    if (!WriteAll(paths, files, error))
        return Fail(error + "; nothing was extracted");
    for (std::size_t i = 0; i < files.size(); ++i)
        std::printf("%s  %zu bytes\n", paths[i].c_str(), files[i].size());
    return 0;
}

// How many operands each command takes.
bool OperandCountFits(const Command& c, std::size_t n) {
    const std::string name = c.name;
    const std::size_t files = std::size_t(payload::kFileCount);
    if (name == "build")
        return n == 2 + files;
    if (name == "pack")
        return n == 1 + files;
    if (name == "verify")
        return n == 1 || n == 1 + files;
    if (name == "extract")
        return n == 2;
    return n == 1;
}

const Command* Find(const std::string& name) {
    for (const Command& c : kCommands)
        if (name == c.name)
            return &c;
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return Usage("no command given");
    const std::string& first = args[0];
    if (first == "--version") {
        std::printf("krzpack %s\n", KRZPACK_VERSION);
        return 0;
    }
    if (first == "--help" || first == "-h" || first == "help") {
        const Command* c = args.size() > 1 ? Find(args[1]) : nullptr;
        if (args.size() > 2 || (args.size() == 2 && !c))
            return Usage("help takes one command name");
        std::fputs((c ? CommandHelp(*c) : GeneralHelp()).c_str(), stdout);
        return 0;
    }
    const Command* command = Find(first);
    if (!command)
        return Usage("unknown command '" + first + "'");

    Options options;
    std::vector<std::string> operands;
    bool optionsEnd = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnd || a.size() < 2 || a[0] != '-') {
            operands.push_back(a);
        } else if (a == "--") {
            optionsEnd = true;
        } else if (a == "--help" || a == "-h") {
            std::fputs(CommandHelp(*command).c_str(), stdout);
            return 0;
        } else if (a == "--force" && command->takesForce) {
            options.force = true;
        } else if ((a == "--set-version" || a == "--special-build") && command->takesStamp) {
            if (i + 1 == args.size())
                return Usage(std::string(command->name) + ": " + a + " takes a value", command);
            const std::string& value = args[++i];
            if (a == "--special-build") {
                options.stamp.setSpecialBuild = true;
                options.stamp.specialBuild = value;
            } else if (packer::ParseVersion(value, options.stamp.version)) {
                options.stamp.setVersion = true;
            } else {
                return Usage(std::string(command->name) + ": --set-version '" + value +
                                 "': not four numbers of 0 to 65535 (A.B.C.D)",
                             command);
            }
        } else {
            return Usage(std::string(command->name) + ": unknown option '" + a + "'", command);
        }
    }
    if (!OperandCountFits(*command, operands.size()))
        return Usage(std::string(command->name) + " takes " + command->synopsis, command);
    for (const std::string& operand : operands)
        if (operand.empty())
            return Usage(std::string(command->name) + ": an empty name is not a file or folder",
                         command);
    return command->run(operands, options);
}
