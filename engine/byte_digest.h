// A 64-bit digest of a stream of bytes, taken piece by piece at memory speed:
// the read-back check of a cut compares the digest of what it wrote with the
// digest of what reads back, without holding either. Pieces may split the
// stream anywhere; the digest is that of the bytes in order. It finds
// accidental damage (a change within one aligned 8 bytes surely, any other
// all but surely); it is no defence against forgery.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class ByteDigest {
public:
    void Add(const uint8_t* bytes, size_t count)
    {
        length_ += count;
        while (count > 0 && pending_ > 0) {
            word_[pending_++] = *bytes++;
            --count;
            if (pending_ == 8) {
                Mix(Load(word_));
                pending_ = 0;
            }
        }
        for (; count >= 8; bytes += 8, count -= 8) Mix(Load(bytes));
        for (; count > 0; --count) word_[pending_++] = *bytes++;
    }

    uint64_t Value() const
    {
        uint64_t h = h_;
        if (pending_ > 0) {
            uint8_t last[8] = {};
            memcpy(last, word_, pending_);
            h = Round(h, Load(last));
        }
        h ^= length_;
        h ^= h >> 33;
        h *= 0xFF51AFD7ED558CCDull;
        h ^= h >> 33;
        return h;
    }

private:
    static uint64_t Load(const uint8_t* p)
    {
        uint64_t w;
        memcpy(&w, p, 8);
        return w;
    }
    static uint64_t Round(uint64_t h, uint64_t w)
    {
        h ^= w * 0x87C37B91114253D5ull;
        h = (h << 31) | (h >> 33);
        return h * 0x9E3779B97F4A7C15ull + 0x52DCE729;
    }
    void Mix(uint64_t w) { h_ = Round(h_, w); }

    uint64_t h_ = 0x243F6A8885A308D3ull;
    uint64_t length_ = 0;
    uint8_t word_[8] = {};
    size_t pending_ = 0;
};
