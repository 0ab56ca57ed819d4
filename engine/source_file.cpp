#include "source_file.h"

#include "diag_log.h"
#include "os.h"

#include <new>

SourceRead ReadSourceFile(const char* path, SourceBytes& out)
{
    out = SourceBytes();
    OsFile file = OsOpenForReading(path);
    if (!file) return SourceRead::CannotOpen;

    const int64_t size = OsFileSize(file);
    if (size < 0 || size >= kSourceLimitBytes) {
        OsCloseFile(file);
        return size < 0 ? SourceRead::Failed : SourceRead::TooLarge;
    }
    g_log.Print("大小: %d", static_cast<int>(size));

    // Default-initialised: the read touches every page once, nothing else does.
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[size > 0 ? size : 1]);
    const bool ok = data && OsReadExact(file, data.get(), static_cast<size_t>(size));
    OsCloseFile(file);
    if (!ok) return SourceRead::Failed;

    out.pData = std::move(data);
    out.nSize = static_cast<int32_t>(size);
    return SourceRead::Ok;
}
