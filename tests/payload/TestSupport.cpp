#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "AfxMessageBox.h"
#include "PayloadLayout.h"
#include "Szdd.h"

namespace {

std::string BoxLine(const char* caption, const char* text, UINT type) {
    char t[16];
    std::snprintf(t, sizeof t, "0x%02X", type);
    return std::string(caption) + "|" + text + "|" + t;
}

} // namespace

std::vector<std::string> MessageLog::Boxes() const {
    std::vector<std::string> lines;
    for (const RecordedBox& box : m_recorder.Boxes())
        lines.push_back(BoxLine(box.caption, box.text, box.type));
    return lines;
}

std::vector<std::string> MessageLog::One(const char* text) {
    return {BoxLine(AfxGetAppName(), text, kMessageType)};
}

void ExpectInstalled(const CString& folder, const std::vector<Bytes>& files, int count) {
    for (int i = 0; i < payload::kFileCount; ++i) {
        const CString target = folder + "\\" + payload::kFileList[i];
        if (i < count)
            EXPECT_EQ(ReadBytes(target), files[std::size_t(i)]) << target;
        else
            EXPECT_FALSE(Exists(target)) << target;
    }
}

bool Exists(const CString& path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

Bytes ReadBytes(const CString& path) {
    Bytes data;
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return data;
    data.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!data.empty())
        ReadFile(file, data.data(), DWORD(data.size()), &read, nullptr);
    data.resize(read);
    CloseHandle(file);
    return data;
}

void WriteBytes(const CString& path, const Bytes& data) {
    const HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (!data.empty())
        WriteFile(file, data.data(), DWORD(data.size()), &written, nullptr);
    CloseHandle(file);
}

FILETIME FileTimeOf(const CString& path, int which) {
    FILETIME times[3] = {};
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    GetFileTime(file, &times[0], &times[1], &times[2]);
    CloseHandle(file);
    return times[which];
}

ULONGLONG Ticks(const FILETIME& ft) {
    return ULONGLONG(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
}

Bytes Synthetic(std::size_t size, std::uint32_t seed, const std::string& head) {
    static const char* const words[] = {"Quorbelix ", "KRZ ",     "window ", "options\r\n",
                                        "file ",      "install ", "help ",   "GetProcAddress"};
    std::mt19937 rng(seed);
    Bytes out(head.begin(), head.end());
    while (out.size() < size) {
        switch (rng() % 5) {
        case 0: // a run of zeros, as between sections
            out.insert(out.end(), 16 + rng() % 400, 0);
            break;
        case 1: // text
            for (int n = 1 + int(rng() % 12); n > 0; --n) {
                const char* w = words[rng() % 8];
                out.insert(out.end(), w, w + std::char_traits<char>::length(w));
            }
            break;
        case 2: // noise
            for (int n = 1 + int(rng() % 200); n > 0; --n)
                out.push_back(std::uint8_t(rng()));
            break;
        default: // a repeat of earlier bytes, near or far
            if (out.size() > 64) {
                const std::size_t from =
                    out.size() - 1 - rng() % std::min<std::size_t>(out.size() - 1, 6000);
                const std::size_t n = 3 + rng() % 40;
                for (std::size_t k = 0; k < n; ++k)
                    out.push_back(out[from + k]); // may overlap what it produces
            }
            break;
        }
    }
    out.resize(size);
    return out;
}

namespace {

std::string Executable() {
    std::string head = "MZ";
    head.resize(0x80, '\0');
    head[0x3C] = char(0x80);
    head += std::string("PE\0\0\x4C\x01", 6); // machine i386
    return head;
}

std::vector<Bytes> Files(std::size_t exe, std::size_t hlp, std::size_t uninstall) {
    std::string cnt = ":Base KRZ.hlp\r\n:Title Quorbelix Help\r\n1 Quorbelix\r\n";
    for (int topic = 1; cnt.size() < 268; ++topic)
        cnt += "2 Topic " + std::to_string(topic) + "=TOPIC_" + std::to_string(topic) + "\r\n";
    cnt.resize(266);
    cnt += "\r\n";
    return {Synthetic(exe, 1, Executable()), Synthetic(hlp, 2, std::string("\x3F\x5F\x03\x00", 4)),
            Bytes(cnt.begin(), cnt.end()), Synthetic(uninstall, 4, Executable())};
}

} // namespace

const std::vector<Bytes>& SampleFiles() {
    static const std::vector<Bytes> files = Files(909312, 43670, 118784);
    return files;
}

const std::vector<Bytes>& SmallFiles() {
    static const std::vector<Bytes> files = Files(9000, 4000, 3000);
    return files;
}

Bytes Compressed(const Bytes& data) {
    return szdd::Compress(data.data(), data.size());
}

Bytes PayloadOf(const std::vector<Bytes>& files) {
    std::vector<Bytes> packed;
    for (const Bytes& f : files)
        packed.push_back(Compressed(f));
    return payload::Build(packed);
}

Bytes EntryFile(const Bytes& data, int index) {
    payload::Cursor cursor(data.data(), data.size());
    payload::Entry entry;
    for (int i = 0; i <= index; ++i)
        cursor.Next(entry);
    return payload::CompleteFile(entry);
}

ULONGLONG ExpectedStampTicks() {
    const SYSTEMTIME st = {2005, 1, 0, 17, 14, 0, 0, 0};
    FILETIME calendar;
    SystemTimeToFileTime(&st, &calendar);
    TIME_ZONE_INFORMATION tz;
    const DWORD zone = GetTimeZoneInformation(&tz);
    LONG bias = tz.Bias;
    if (zone == TIME_ZONE_ID_DAYLIGHT)
        bias += tz.DaylightBias;
    else if (zone == TIME_ZONE_ID_STANDARD)
        bias += tz.StandardBias;
    return Ticks(calendar) + ULONGLONG(LONGLONG(bias) * 60 * 10000000);
}
