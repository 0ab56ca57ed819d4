// Linux side of the long-lived file reader (native tests and benchmarks).
#include "os_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

static_assert(sizeof(off_t) == 8, "64-bit file offsets");

struct OsReader {
    int fd;
};

OsReader* OsReaderOpen(const char* path)
{
    if (!path) return nullptr;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return new OsReader{fd};
}

int64_t OsReaderRead(OsReader* reader, void* out, size_t bytes)
{
    for (;;) {
        ssize_t got = read(reader->fd, out, bytes);
        if (got >= 0) return got;
        if (errno != EINTR) return -1;
    }
}

int64_t OsReaderSeek(OsReader* reader, int64_t offset, int whence)
{
    return lseek(reader->fd, offset, whence);
}

void OsReaderClose(OsReader* reader)
{
    if (!reader) return;
    close(reader->fd);
    delete reader;
}
