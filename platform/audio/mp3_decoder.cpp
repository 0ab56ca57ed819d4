// libmpg123 behind Mp3Decoder. The file is handed to libmpg123 through our
// own reader callbacks, so that paths stay in the program's code page and
// file offsets are 64-bit on every platform (this target is compiled with
// _FILE_OFFSET_BITS=64, which selects libmpg123's 64-bit entry points where
// off_t would otherwise be 32 bits, as with MinGW).
#include "mp3_decoder.h"

#include "os.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

static_assert(sizeof(off_t) == 8, "libmpg123 must be used with 64-bit offsets");

namespace {

// Frames decoded ahead of a seek target: the bit reservoir and the
// synthesis filter need them, or the first milliseconds after a seek are
// wrong (most audibly in MPEG 2 and 2.5 files at low rates).
constexpr long kSeekPreFrames = 24;

// The file as libmpg123 reads it: through a buffer of its own, since it asks
// for a frame's header and then its body, a few hundred bytes at a time, and
// a system call for each would cost seconds on a long file. Each byte read
// lies where it lies within a page of the file within a page of the buffer:
// the system copies a read so placed fastest, and on some processors one that
// lands a few bytes further on takes five times as long.
class BufferedFile {
public:
    explicit BufferedFile(OsFile file) : file_(file), block_(kBufferBytes + 2 * kPageBytes)
    {
        const size_t past = reinterpret_cast<uintptr_t>(block_.data()) % kPageBytes;
        page_ = block_.data() + (kPageBytes - past) % kPageBytes;
    }
    ~BufferedFile() { OsCloseFile(file_); }
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;

    int64_t Read(void* out, size_t bytes)
    {
        if (next_ == size_) {
            if (OsSeek(file_, position_, SEEK_SET) != position_) return -1;
            uint8_t* const data = page_ + static_cast<size_t>(position_ % kPageBytes);
            const int64_t got = OsRead(file_, data, kBufferBytes);
            if (got < 0) return -1;
            data_ = data;
            start_ = position_;
            next_ = 0;
            size_ = static_cast<size_t>(got);
        }
        const size_t n = std::min(bytes, size_ - next_);
        memcpy(out, data_ + next_, n);
        next_ += n;
        position_ += static_cast<int64_t>(n);
        return static_cast<int64_t>(n);
    }
    int64_t Seek(int64_t offset, int whence)
    {
        int64_t target = offset + (whence == SEEK_CUR ? position_ : 0);
        if (whence == SEEK_END) target = OsSeek(file_, offset, SEEK_END);
        if (target < 0) return -1;
        position_ = target;
        // Within the bytes held the buffer stays; elsewhere the next read fills it anew.
        const bool held = target >= start_ && target < start_ + static_cast<int64_t>(size_);
        next_ = held ? static_cast<size_t>(target - start_) : 0;
        size_ = held ? size_ : 0;
        return target;
    }

private:
    static constexpr size_t kBufferBytes = size_t(1) << 20;
    static constexpr size_t kPageBytes = 4096;
    OsFile file_;
    std::vector<uint8_t> block_;
    uint8_t* page_ = nullptr;  // the first page boundary in block_
    uint8_t* data_ = nullptr;  // the bytes held, from start_ on
    int64_t start_ = 0;        // file offset of data_[0]
    size_t next_ = 0;          // next byte of data_ to hand out
    size_t size_ = 0;          // bytes held in data_
    int64_t position_ = 0;     // file offset of the next byte to hand out
};

mpg123_ssize_t ReadCallback(void* handle, void* out, size_t bytes)
{
    return static_cast<mpg123_ssize_t>(static_cast<BufferedFile*>(handle)->Read(out, bytes));
}

off_t SeekCallback(void* handle, off_t offset, int whence)
{
    return static_cast<off_t>(static_cast<BufferedFile*>(handle)->Seek(offset, whence));
}

// The reader belongs to the decoder, not to libmpg123.
void CleanupCallback(void*) {}

struct HandleDeleter {
    void operator()(mpg123_handle* mh) const { mpg123_delete(mh); }
};

// Allows signed 16-bit output at exactly one rate and channel layout, or,
// with rate 0, at every rate libmpg123 knows and either layout. Without the
// limit libmpg123 would pick a format of its own choice (and resample).
void AllowFormats(mpg123_handle* mh, long rate, int channels)
{
    mpg123_format_none(mh);
    if (rate != 0) {
        mpg123_format(mh, rate, channels == 1 ? MPG123_MONO : MPG123_STEREO, MPG123_ENC_SIGNED_16);
        return;
    }
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
}

}  // namespace

struct Mp3Decoder::Impl {
    std::unique_ptr<BufferedFile> reader;
    std::unique_ptr<mpg123_handle, HandleDeleter> mh;
    int rateHz = 0;
    int channels = 0;
    uint64_t lengthBytes = 0;
    uint64_t positionBytes = 0;
    bool ended = false;  // the decoder has nothing more to give

    uint32_t Block() const { return static_cast<uint32_t>(channels) * 2u; }
    // Opens the reader's file in libmpg123 from its first byte.
    bool OpenHandle()
    {
        if (reader->Seek(0, SEEK_SET) != 0) return false;
        return mpg123_open_handle(mh.get(), reader.get()) == MPG123_OK;
    }
};

Mp3Decoder::Mp3Decoder() : impl_(new Impl) {}
Mp3Decoder::~Mp3Decoder() = default;

DecoderOpenResult Mp3Decoder::Open(const OsPath& path, DecoderOpenMode mode)
{
    impl_.reset(new Impl);
    Impl fresh;
    OsFile file = OsOpenForReading(path);
    if (!file) return DecoderOpenResult::FileNotOpened;
    fresh.reader.reset(new BufferedFile(file));

    int err = MPG123_OK;
    fresh.mh.reset(mpg123_new(nullptr, &err));
    mpg123_handle* mh = fresh.mh.get();
    if (!mh) return DecoderOpenResult::DecoderFailed;
    // Tags are not the decoder's business (and parsing some ID3v2 tags never
    // ends in the Windows build of libmpg123 1.31): their bytes are skipped.
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_SKIP_ID3V2, 0.0);
    mpg123_param(mh, mode == DecoderOpenMode::Playback ? MPG123_ADD_FLAGS : MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
    mpg123_param(mh, MPG123_PREFRAMES, kSeekPreFrames, 0.0);
    if (mpg123_replace_reader_handle(mh, ReadCallback, SeekCallback, CleanupCallback) != MPG123_OK)
        return DecoderOpenResult::DecoderFailed;

    // First pass: the format of the first frame.
    AllowFormats(mh, 0, 0);
    if (!fresh.OpenHandle()) return DecoderOpenResult::NotDecodable;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    bool found = mpg123_getformat(mh, &rate, &channels, &encoding) == MPG123_OK;
    mpg123_close(mh);
    if (!found || rate <= 0 || (channels != 1 && channels != 2)) return DecoderOpenResult::NotDecodable;

    // Second pass, held to that format: exact length from a scan of every
    // frame (which also fills libmpg123's seek index); a pass goes without.
    AllowFormats(mh, rate, channels);
    if (!fresh.OpenHandle()) return DecoderOpenResult::NotDecodable;
    if (mode == DecoderOpenMode::Pass) {
        fresh.rateHz = static_cast<int>(rate);
        fresh.channels = channels;
        fresh.lengthBytes = UINT64_MAX;
        *impl_ = std::move(fresh);
        return DecoderOpenResult::Ok;
    }
    if (mpg123_scan(mh) != MPG123_OK) return DecoderOpenResult::NotDecodable;
    off_t samples = mpg123_length(mh);
    if (samples < 0 || mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK)
        return DecoderOpenResult::NotDecodable;
    if (mpg123_seek(mh, 0, SEEK_SET) != 0) return DecoderOpenResult::NotDecodable;

    fresh.rateHz = static_cast<int>(rate);
    fresh.channels = channels;
    fresh.lengthBytes = static_cast<uint64_t>(samples) * fresh.Block();
    *impl_ = std::move(fresh);
    return DecoderOpenResult::Ok;
}

bool Mp3Decoder::IsOpen() const { return impl_->mh != nullptr; }
int Mp3Decoder::RateHz() const { return impl_->rateHz; }
int Mp3Decoder::Channels() const { return impl_->channels; }
uint32_t Mp3Decoder::BlockBytes() const { return impl_->Block(); }
uint64_t Mp3Decoder::LengthBytes() const { return impl_->lengthBytes; }
uint64_t Mp3Decoder::PositionBytes() const { return impl_->positionBytes; }

double Mp3Decoder::BytesToSeconds(uint64_t bytes) const
{
    if (!IsOpen()) return 0.0;
    return static_cast<double>(bytes) / (static_cast<double>(impl_->rateHz) * impl_->Block());
}

bool Mp3Decoder::SeekToByte(uint64_t byte)
{
    if (!IsOpen() || byte > impl_->lengthBytes) return false;
    uint64_t frame = byte / impl_->Block();
    off_t reached = mpg123_seek(impl_->mh.get(), static_cast<off_t>(frame), SEEK_SET);
    if (reached < 0) return false;
    impl_->positionBytes = static_cast<uint64_t>(reached) * impl_->Block();
    impl_->ended = false;
    return static_cast<uint64_t>(reached) == frame;
}

size_t Mp3Decoder::Read(void* out, size_t bytes)
{
    if (!IsOpen() || impl_->ended) return 0;
    uint64_t left = impl_->lengthBytes - impl_->positionBytes;
    if (bytes > left) bytes = static_cast<size_t>(left);
    bytes -= bytes % impl_->Block();
    auto* dst = static_cast<unsigned char*>(out);
    size_t total = 0;
    while (total < bytes) {
        size_t done = 0;
        int rc = mpg123_read(impl_->mh.get(), dst + total, bytes - total, &done);
        total += done;
        if (rc == MPG123_OK || rc == MPG123_NEW_FORMAT) {
            if (done == 0 && rc == MPG123_OK) {
                impl_->ended = true;  // no progress: treat as the end
                break;
            }
            continue;
        }
        // MPG123_DONE, or an error the decoder could not skip.
        impl_->ended = true;
        break;
    }
    total -= total % impl_->Block();
    impl_->positionBytes += total;
    // A damaged file, or one that changes its rate midway, can end before
    // the length its scan promised: from now on the length is what it gave.
    if (impl_->ended) impl_->lengthBytes = impl_->positionBytes;
    return total;
}
