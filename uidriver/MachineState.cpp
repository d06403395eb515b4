#include "MachineState.h"

#include <winioctl.h>

#include <cstring>
#include <vector>

namespace ui {

namespace {

std::string ErrorText(const char* what, const std::string& subject, DWORD error) {
    return std::string(what) + " " + subject + " (error " + std::to_string(error) + ")";
}

// Wine's own mount-manager interface (its ddk/mountmgr.h, "Wine extensions"): a drive letter,
// its type as a DRIVE_* value and the host path it points to, appended after the structure.
constexpr DWORD kDefineUnixDrive =
    CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
constexpr DWORD kQueryUnixDrive = CTL_CODE('m', 33, METHOD_BUFFERED, FILE_READ_ACCESS);

struct MountManagerDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

class MountManager {
public:
    MountManager()
        : handle_(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr)) {}
    ~MountManager() {
        if (Ok())
            CloseHandle(handle_);
    }
    MountManager(const MountManager&) = delete;
    MountManager& operator=(const MountManager&) = delete;

    bool Ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Control(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) const {
        DWORD returned = 0;
        return DeviceIoControl(handle_, code, in, inSize, out, outSize, &returned, nullptr);
    }

private:
    HANDLE handle_;
};

// Defines the letter, or removes it when `hostFolder` is null.
void ControlDrive(char letter, const char* hostFolder, UINT type, const Where& where) {
    MountManager manager;
    if (!manager.Ok())
        Fail(where, ErrorText("cannot open", "Wine's mount manager", GetLastError()));
    std::vector<char> buffer(sizeof(MountManagerDrive) + (hostFolder ? strlen(hostFolder) + 1 : 0));
    MountManagerDrive drive = {};
    drive.size = ULONG(buffer.size());
    drive.type = type;
    drive.letter = WCHAR(letter | 0x20);
    if (hostFolder) {
        drive.mountPointOffset = USHORT(sizeof drive);
        std::memcpy(&buffer[sizeof drive], hostFolder, strlen(hostFolder) + 1);
    }
    std::memcpy(buffer.data(), &drive, sizeof drive);
    if (!manager.Control(kDefineUnixDrive, buffer.data(), DWORD(buffer.size()), nullptr, 0))
        Fail(where, ErrorText(hostFolder ? "cannot define drive" : "cannot remove drive",
                              std::string(1, letter) + ":", GetLastError()));
}

} // namespace

// --- Registry ---

void DeleteRegistryKey(HKEY root, const std::string& subkey, Where where) {
    const LONG status = RegDeleteTreeA(root, subkey.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        Fail(where, ErrorText("cannot delete registry key", subkey, DWORD(status)));
}

void SetRegistryValue(HKEY root, const std::string& subkey, const std::string& name, DWORD type,
                      const std::string& bytes, Where where) {
    HKEY key = nullptr;
    LONG status =
        RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        Fail(where, ErrorText("cannot create registry key", subkey, DWORD(status)));
    status = RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                            DWORD(bytes.size()));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        Fail(where, ErrorText("cannot set registry value", subkey + "\\" + name, DWORD(status)));
}

void SetRegistryString(HKEY root, const std::string& subkey, const std::string& name,
                       const std::string& value, Where where) {
    SetRegistryValue(root, subkey, name, REG_SZ, value + '\0', where);
}

std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::string& subkey,
                                               const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<RegistryValue> result;
    RegistryValue value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        value.bytes.resize(size_t(size) + 1);
        if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                             reinterpret_cast<BYTE*>(&value.bytes[0]), &size) == ERROR_SUCCESS) {
            value.bytes.resize(size);
            result = value;
        }
    }
    RegCloseKey(key);
    return result;
}

std::optional<std::string> ReadRegistryString(HKEY root, const std::string& subkey,
                                              const std::string& name) {
    std::optional<RegistryValue> value = ReadRegistryValue(root, subkey, name);
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ))
        return std::nullopt;
    std::string& text = value->bytes;
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

int RegistryValueCount(HKEY root, const std::string& subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return -1;
    DWORD values = 0;
    const LONG status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? int(values) : -1;
}

ScopedRegistryValue::ScopedRegistryValue(HKEY root, const std::string& subkey,
                                         const std::string& name,
                                         const std::optional<std::string>& value, Where where)
    : root_(root), subkey_(subkey), name_(name) {
    if (const std::optional<RegistryValue> previous = ReadRegistryValue(root, subkey, name)) {
        existed_ = true;
        type_ = previous->type;
        data_ = previous->bytes;
    }
    if (value)
        SetRegistryString(root, subkey, name, *value, where);
    else
        RegDeleteKeyValueA(root, subkey.c_str(), name.c_str());
}

ScopedRegistryValue::~ScopedRegistryValue() {
    if (!existed_) {
        RegDeleteKeyValueA(root_, subkey_.c_str(), name_.c_str());
        return;
    }
    RegSetKeyValueA(root_, subkey_.c_str(), name_.c_str(), type_, data_.data(),
                    DWORD(data_.size()));
}

bool RegistryKeyExists(HKEY root, const std::string& subkey, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

REGSAM OtherRegistryView() {
#ifdef _WIN64
    return KEY_WOW64_32KEY;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64 ? KEY_WOW64_64KEY : 0;
#endif
}

namespace {

// Where moved-aside keys wait, below the same root.
const char kAsideRoot[] = "Software\\KrzTestAside";

// Copies a key's values and subkeys into another key, which is created when missing.
LONG CopyRegistryTree(HKEY root, const std::string& from, const std::string& to) {
    HKEY source = nullptr, target = nullptr;
    LONG status = RegOpenKeyExA(root, from.c_str(), 0, KEY_READ, &source);
    if (status == ERROR_SUCCESS)
        status = RegCreateKeyExA(root, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                                 nullptr);
    if (status == ERROR_SUCCESS)
        status = RegCopyTreeA(source, nullptr, target);
    if (target)
        RegCloseKey(target);
    if (source)
        RegCloseKey(source);
    return status;
}

} // namespace

ScopedRegistryKeyAside::ScopedRegistryKeyAside(HKEY root, const std::string& subkey, Where where)
    : root_(root), subkey_(subkey) {
    static int serial = 0;
    backup_ = std::string(kAsideRoot) + "\\" + std::to_string(++serial);
    existed_ = RegistryKeyExists(root, subkey);
    if (existed_) {
        if (const LONG status = CopyRegistryTree(root, subkey, backup_))
            Fail(where, ErrorText("cannot move registry key aside", subkey, DWORD(status)));
        DeleteRegistryKey(root, subkey, where);
    }
}

ScopedRegistryKeyAside::~ScopedRegistryKeyAside() {
    RegDeleteTreeA(root_, subkey_.c_str());
    if (existed_) {
        CopyRegistryTree(root_, backup_, subkey_);
        RegDeleteTreeA(root_, backup_.c_str());
    }
    // Fails, as it should, while another key is still aside.
    RegDeleteKeyA(root_, kAsideRoot);
}

// --- Files and folders ---

void CreateFolders(const std::string& path, Where where) {
    if (IsFolder(path))
        return;
    const size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2)
        CreateFolders(path.substr(0, slash), where);
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        Fail(where, ErrorText("cannot create folder", path, GetLastError()));
}

void WriteFileBytes(const std::string& path, const std::string& bytes, Where where) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        Fail(where, ErrorText("cannot create", path, GetLastError()));
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok || written != bytes.size())
        Fail(where, ErrorText("cannot write", path, error));
}

std::string ReadFileBytes(const std::string& path, Where where) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        Fail(where, ErrorText("cannot open", path, GetLastError()));
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    BOOL ok;
    while ((ok = ReadFile(file, chunk, sizeof chunk, &read, nullptr)) && read > 0)
        bytes.append(chunk, read);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok)
        Fail(where, ErrorText("cannot read", path, error));
    return bytes;
}

void RemoveTree(const std::string& path, Where where) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (!DeleteFileA(path.c_str()))
            Fail(where, ErrorText("cannot delete", path, GetLastError()));
        return;
    }
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name != "." && name != "..")
                RemoveTree(path + "\\" + name, where);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    if (!RemoveDirectoryA(path.c_str()))
        Fail(where, ErrorText("cannot remove folder", path, GetLastError()));
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

ScratchFolder::ScratchFolder(const std::string& parent, Where where) {
    std::string base = parent;
    if (base.empty()) {
        char temp[MAX_PATH + 1] = {};
        const DWORD n = GetTempPathA(MAX_PATH, temp);
        if (n == 0 || n > MAX_PATH)
            Fail(where, ErrorText("no temporary folder", "", GetLastError()));
        base = temp;
    }
    if (!base.empty() && base.back() == '\\')
        base.pop_back();
    for (unsigned n = GetTickCount() & 0xFFFF;; ++n) {
        path_ = base + "\\ui" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n);
        if (CreateDirectoryA(path_.c_str(), nullptr))
            return;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            Fail(where, ErrorText("cannot create folder", path_, GetLastError()));
    }
}

ScratchFolder::~ScratchFolder() {
    try {
        RemoveTree(path_);
    } catch (const Failure&) {
        // A file still held open by a program under test; the temporary folder keeps it.
    }
}

// --- Wine ---

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string HostPath(const std::string& windowsPath, Where where) {
    using ToUnix = char*(CDECL*)(const WCHAR*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        Fail(where, "not running under Wine");
    std::wstring wide(windowsPath.size() + 1, L'\0');
    const int n =
        MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, &wide[0], int(wide.size()));
    wide.resize(n > 0 ? size_t(n) : 0);
    char* unixPath = toUnix(wide.c_str());
    if (!unixPath)
        Fail(where, "no host path for " + windowsPath);
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

namespace {
const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\";
}

ScopedWindowsVersion::ScopedWindowsVersion(const std::string& exeName, const std::string& version,
                                           Where where)
    : key_(kAppDefaults + exeName),
      previous_(ReadRegistryString(HKEY_CURRENT_USER, key_, "Version")) {
    SetRegistryString(HKEY_CURRENT_USER, key_, "Version", version, where);
}

ScopedWindowsVersion::~ScopedWindowsVersion() {
    if (previous_) {
        SetRegistryString(HKEY_CURRENT_USER, key_, "Version", *previous_);
        return;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "Version");
        RegCloseKey(key);
    }
}

std::optional<WineDrive> QueryWineDrive(char letter) {
    MountManager manager;
    if (!manager.Ok())
        return std::nullopt;
    MountManagerDrive query = {};
    query.letter = WCHAR(letter | 0x20);
    std::vector<char> answer(4096);
    if (!manager.Control(kQueryUnixDrive, &query, sizeof query, answer.data(),
                         DWORD(answer.size())))
        return std::nullopt;
    MountManagerDrive drive;
    std::memcpy(&drive, answer.data(), sizeof drive);
    WineDrive result;
    result.type = drive.type;
    if (drive.mountPointOffset && drive.mountPointOffset < answer.size()) {
        answer.back() = '\0';
        result.hostFolder = &answer[drive.mountPointOffset];
    }
    return result;
}

void DefineWineDrive(char letter, const std::string& hostFolder, UINT type, Where where) {
    ControlDrive(letter, hostFolder.c_str(), type, where);
}

void RemoveWineDrive(char letter, Where where) {
    ControlDrive(letter, nullptr, 0, where);
}

std::string TinyDiskHostFolder(Where where) {
    char folder[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA("KRZ_TINY_DISK", folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        Fail(where, "no tiny disk: the test needs the CTest fixture ui_tiny_disk");
    return folder;
}

ScopedWineDrive::ScopedWineDrive(char letter, const std::string& hostFolder, UINT type, Where where)
    : letter_(letter), previous_(QueryWineDrive(letter)) {
    DefineWineDrive(letter, hostFolder, type, where);
}

ScopedWineDrive::~ScopedWineDrive() {
    try {
        if (previous_ && !previous_->hostFolder.empty())
            DefineWineDrive(letter_, previous_->hostFolder, previous_->type);
        else
            RemoveWineDrive(letter_);
    } catch (const Failure&) {
        // Nothing more can be done from a destructor; the next definition replaces it.
    }
}

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path);
    return program.substr(0, program.rfind('\\') + 1);
}

} // namespace ui
