// Linux side of the seam, for the native unit tests, fuzzers and benchmarks.
// It reproduces what the program relies on from the Win32 calls of
// os_win32.cpp: exclusive creation, read sharing is implicit, and the
// private-profile file format (section header, key=value lines, CR LF).
#include "os.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

static_assert(sizeof(off_t) == 8, "64-bit file offsets");

void OsDebugOutput(const char* text)
{
    if (getenv("ZDV_DEBUG_OUTPUT")) fprintf(stderr, "%s\n", text);
}

int OsFormatV(char* out, size_t cap, const char* format, va_list args)
{
    if (cap == 0) return 0;
    int n = vsnprintf(out, cap, format, args);
    if (n < 0) {
        out[0] = '\0';
        return 0;
    }
    return n < static_cast<int>(cap) ? n : static_cast<int>(cap - 1);
}

void* OsHeapAllocZeroed(size_t bytes)
{
    return calloc(1, bytes);
}

void* OsProcessHeap()
{
    static int heap;
    return &heap;
}

bool OsCreateEmptyFile(const char* path)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    close(fd);
    return true;
}

bool OsReadExistingFile(const char* path, std::vector<char>& data)
{
    int fd = open(path, O_RDONLY);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        data.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (done < data.size()) {
            ssize_t n = read(fd, data.data() + done, data.size() - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        ok = done == data.size();
    }
    close(fd);
    return ok;
}

bool OsWriteExistingFile(const char* path, const char* data, size_t size)
{
    int fd = open(path, O_WRONLY);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < size) {
        ssize_t n = write(fd, data + done, size - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return close(fd) == 0 && done == size;
}

uint32_t OsLastError()
{
    return static_cast<uint32_t>(errno);
}

std::string OsErrorText(uint32_t code)
{
    return code ? strerror(static_cast<int>(code)) : "";
}

namespace {

// The bytes converted by iconv from one encoding to another; false when any
// of them does not convert.
bool Recode(const char* to, const char* from, const void* bytes, size_t size, std::string& out)
{
    out.clear();
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    char* in = static_cast<char*>(const_cast<void*>(bytes));
    char buffer[256];
    bool ok = true;
    while (ok && size > 0) {
        char* put = buffer;
        size_t room = sizeof buffer;
        ok = iconv(cd, &in, &size, &put, &room) != static_cast<size_t>(-1) || errno == E2BIG;
        out.append(buffer, static_cast<size_t>(put - buffer));
    }
    iconv_close(cd);
    return ok;
}

// The name of the file on Linux: the text as it is, or the original in UTF-8.
std::string NativePath(const OsPath& path)
{
    return path.wide ? OsUtf16ToUtf8(path.wide) : path.ansi ? path.ansi : "";
}

}  // namespace

std::string OsUtf16ToUtf8(const std::u16string& text)
{
    std::string out;
    Recode("UTF-8", "UTF-16LE", text.data(), text.size() * 2, out);
    return out;
}

bool OsDeleteFile(const OsPath& path)
{
    return unlink(NativePath(path).c_str()) == 0;
}

bool OsNewScratchFile(std::string& path)
{
    const char* folder = getenv("TMPDIR");
    path = std::string(folder && *folder ? folder : "/tmp") + "/zdvXXXXXX";
    const int fd = mkstemp(&path[0]);
    return fd >= 0 && close(fd) == 0;
}

namespace {

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> ReadLines(const char* path)
{
    std::vector<std::string> lines;
    std::vector<char> data;
    if (!OsReadExistingFile(path, data)) return lines;
    std::string cur;
    for (char c : data) {
        if (c == '\n') {
            if (!cur.empty() && cur.back() == '\r') cur.pop_back();
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

bool IsSection(const std::string& line, const char* section)
{
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    return strcasecmp(Trim(t.substr(1, close - 1)).c_str(), section) == 0;
}

bool IsAnySection(const std::string& line)
{
    std::string t = Trim(line);
    return !t.empty() && t.front() == '[';
}

// Key of a key=value line, or empty.
std::string KeyOf(const std::string& line)
{
    size_t eq = line.find('=');
    if (eq == std::string::npos) return {};
    return Trim(line.substr(0, eq));
}

bool FindValue(const char* section, const char* key, const char* iniPath, std::string& value)
{
    std::vector<std::string> lines = ReadLines(iniPath);
    bool inSection = false;
    for (const std::string& line : lines) {
        if (IsAnySection(line)) {
            inSection = IsSection(line, section);
            continue;
        }
        if (inSection && strcasecmp(KeyOf(line).c_str(), key) == 0) {
            value = Trim(line.substr(line.find('=') + 1));
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            return true;
        }
    }
    return false;
}

}  // namespace

int OsProfileGetInt(const char* section, const char* key, int fallback, const char* iniPath)
{
    std::string value;
    if (!FindValue(section, key, iniPath, value)) return fallback;
    return static_cast<int>(strtol(value.c_str(), nullptr, 10));
}

void OsProfileGetString(const char* section, const char* key, char* out, size_t cap, const char* iniPath)
{
    if (cap == 0) return;
    std::string value;
    FindValue(section, key, iniPath, value);
    size_t n = value.size() < cap - 1 ? value.size() : cap - 1;
    memcpy(out, value.data(), n);
    out[n] = '\0';
}

bool OsProfilePutString(const char* section, const char* key, const char* value, const char* iniPath)
{
    std::vector<std::string> lines = ReadLines(iniPath);
    std::string entry = std::string(key) + "=" + value;
    bool inSection = false;
    int sectionAt = -1;
    int lastInSection = -1;
    bool done = false;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        if (IsAnySection(lines[i])) {
            inSection = IsSection(lines[i], section);
            if (inSection) sectionAt = lastInSection = static_cast<int>(i);
            continue;
        }
        if (!inSection) continue;
        if (!Trim(lines[i]).empty()) lastInSection = static_cast<int>(i);
        if (strcasecmp(KeyOf(lines[i]).c_str(), key) == 0) {
            lines[i] = entry;
            done = true;
        }
    }
    if (!done) {
        if (sectionAt < 0) {
            lines.push_back(std::string("[") + section + "]");
            lines.push_back(entry);
        } else {
            lines.insert(lines.begin() + lastInSection + 1, entry);
        }
    }
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    FILE* f = fopen(iniPath, "wb");
    if (!f) return false;
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

bool OsMusicFolder(char* out, size_t cap)
{
    const char* home = getenv("HOME");
    if (!home) return false;
    std::string path = std::string(home) + "/Music";
    mkdir(path.c_str(), 0755);
    if (path.size() + 1 > cap) return false;
    strcpy(out, path.c_str());
    return true;
}

// An OsFile is the descriptor plus one, so that descriptor 0 is not null.
namespace {

int Descriptor(OsFile file)
{
    return static_cast<int>(reinterpret_cast<intptr_t>(file) - 1);
}

OsFile FromDescriptor(int fd)
{
    return reinterpret_cast<OsFile>(static_cast<intptr_t>(fd) + 1);
}

}  // namespace

OsFile OsOpenForReading(const OsPath& path)
{
    if (!path.ansi && !path.wide) return nullptr;
    int fd = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    return FromDescriptor(fd);
}

int64_t OsFileSize(OsFile file)
{
    struct stat st;
    if (!file || fstat(Descriptor(file), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

int64_t OsSeek(OsFile file, int64_t offset, int whence)
{
    return file ? static_cast<int64_t>(lseek(Descriptor(file), static_cast<off_t>(offset), whence)) : -1;
}

int64_t OsRead(OsFile file, void* buffer, size_t bytes)
{
    for (;;) {
        const ssize_t got = read(Descriptor(file), buffer, bytes);
        if (got >= 0 || errno != EINTR) return got;
    }
}

bool OsWriteExact(OsFile file, const void* buffer, size_t bytes)
{
    const char* at = static_cast<const char*>(buffer);
    while (bytes > 0) {
        ssize_t n = write(Descriptor(file), at, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

bool OsCloseFile(OsFile file)
{
    return file && close(Descriptor(file)) == 0;
}

OsFile OsOpenForWriting(const OsPath& path)
{
    const int fd = open(NativePath(path).c_str(), O_WRONLY | O_CLOEXEC);
    return fd < 0 ? nullptr : FromDescriptor(fd);
}

bool OsPathExists(const OsPath& path)
{
    struct stat st;
    return lstat(NativePath(path).c_str(), &st) == 0;
}

CreateNewResult OsRenameNoReplace(const OsPath& from, const OsPath& to)
{
    const std::string source = NativePath(from), target = NativePath(to);
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return CreateNewResult::Created;
    if (errno == EEXIST) return CreateNewResult::Exists;
    if (errno != EINVAL && errno != ENOSYS) return CreateNewResult::Failed;
    // A file system without the flag: a second name made exclusively, then the first one gone.
    if (link(source.c_str(), target.c_str()) != 0) return errno == EEXIST ? CreateNewResult::Exists
                                                                          : CreateNewResult::Failed;
    unlink(source.c_str());
    return CreateNewResult::Created;
}

void OsStartWriteBack(OsFile file, int64_t offset, int64_t length)
{
#ifdef SYNC_FILE_RANGE_WRITE
    if (file) sync_file_range(Descriptor(file), offset, length, SYNC_FILE_RANGE_WRITE);
#else
    (void)file, (void)offset, (void)length;
#endif
}

bool OsFlushToDisk(const OsPath& path)
{
    const int fd = open(NativePath(path).c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool flushed = fsync(fd) == 0;
    return close(fd) == 0 && flushed;
}

CreateNewResult OsCreateNewFileForWriting(const OsPath& path, OsFile* file)
{
    *file = nullptr;
    int fd = open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
        *file = FromDescriptor(fd);
        return CreateNewResult::Created;
    }
    return errno == EEXIST ? CreateNewResult::Exists : CreateNewResult::Failed;
}

void* OsAllocBuffer(size_t bytes)
{
    constexpr size_t kLargePage = size_t(2) << 20;
    if (bytes < 2 * kLargePage) return malloc(bytes ? bytes : 1);
    void* block = nullptr;
    if (posix_memalign(&block, kLargePage, bytes) != 0) return nullptr;
    madvise(block, bytes, MADV_HUGEPAGE);
    return block;
}

void OsFreeBuffer(void* block)
{
    free(block);
}

std::string OsUtf16ToAnsi(const char16_t* text, size_t units)
{
    std::string out;
    iconv_t cd = iconv_open("CP936", "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(units, '?');
    // iconv reads bytes; the units are in native (little-endian) order.
    char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text));
    size_t inLeft = units * sizeof(char16_t);
    char buffer[256];
    while (inLeft > 0) {
        char* put = buffer;
        size_t room = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &put, &room);
        out.append(buffer, static_cast<size_t>(put - buffer));
        if (rc != static_cast<size_t>(-1) || errno == E2BIG) continue;
        // A character the code page lacks, or a broken surrogate: one '?'
        // for the unit (or the pair) and go on after it.
        out += '?';
        char16_t unit = *reinterpret_cast<const char16_t*>(in);
        size_t skip = sizeof(char16_t);
        if (unit >= 0xD800 && unit < 0xDC00 && inLeft >= 2 * sizeof(char16_t)) {
            char16_t next = *reinterpret_cast<const char16_t*>(in + sizeof(char16_t));
            if (next >= 0xDC00 && next < 0xE000) skip *= 2;
        }
        if (skip > inLeft) skip = inLeft;
        in += skip;
        inLeft -= skip;
    }
    iconv_close(cd);
    return out;
}

bool OsIsDbcsLeadByte(unsigned char c)
{
    return c >= 0x81 && c <= 0xFE;
}

std::u16string OsAnsiToUtf16(const char* text)
{
    std::string bytes;
    if (!Recode("UTF-16LE", "CP936", text, strlen(text), bytes)) {
        std::u16string widened;
        for (const char* c = text; *c; ++c) widened += static_cast<unsigned char>(*c);
        return widened;
    }
    return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
}
