#include "source_file.h"

SourceRead SourceFile::Open(const OsPath& path)
{
    Close();
    file = OsOpenForReading(path);
    if (!file) return SourceRead::CannotOpen;
    const int64_t size = OsFileSize(file);
    if (size < 0 || size >= kSourceLimitBytes) {
        Close();
        return size < 0 ? SourceRead::Failed : SourceRead::TooLarge;
    }
    nSize = size;
    return SourceRead::Ok;
}

bool SourceFile::Read(int64_t offset, int64_t length, SourceBytes& out)
{
    out = SourceBytes();
    if (!file || offset < 0 || length < 0 || offset + length > nSize) return false;
    // Not cleared: the read touches every page once, nothing else does.
    std::unique_ptr<uint8_t[], OsBufferFree> data(static_cast<uint8_t*>(OsAllocBuffer(static_cast<size_t>(length))));
    if (!data || !ReadInto(data.get(), offset, length, [](int64_t) {})) return false;
    out.pData = std::move(data);
    out.nBase = offset;
    out.nSize = length;
    return true;
}

void SourceFile::Close()
{
    if (file) OsCloseFile(file);
    file = nullptr;
    nSize = 0;
}

SourceRead ReadSourceFile(const OsPath& path, SourceBytes& out)
{
    out = SourceBytes();
    SourceFile file;
    const SourceRead opened = file.Open(path);
    if (opened != SourceRead::Ok) return opened;
    return file.Read(0, file.Size(), out) ? SourceRead::Ok : SourceRead::Failed;
}
