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
            stripe_[pending_++] = *bytes++;
            --count;
            if (pending_ == kStripe) {
                Mix(stripe_);
                pending_ = 0;
            }
        }
        // The lanes stay in registers: a store through this would alias the bytes.
        uint64_t a = lanes_[0], b = lanes_[1], c = lanes_[2], d = lanes_[3];
        for (; count >= kStripe; bytes += kStripe, count -= kStripe) {
            a = Round(a, Load(bytes));
            b = Round(b, Load(bytes + 8));
            c = Round(c, Load(bytes + 16));
            d = Round(d, Load(bytes + 24));
        }
        lanes_[0] = a, lanes_[1] = b, lanes_[2] = c, lanes_[3] = d;
        // Here either nothing is left or nothing was pending.
        memcpy(stripe_ + pending_, bytes, count);
        pending_ += count;
    }

    uint64_t Value() const
    {
        uint64_t lanes[4] = {lanes_[0], lanes_[1], lanes_[2], lanes_[3]};
        uint8_t last[kStripe] = {};
        memcpy(last, stripe_, pending_);
        for (int k = 0; k < 4; ++k) lanes[k] = Round(lanes[k], Load(last + 8 * k));
        uint64_t h = length_;
        for (uint64_t lane : lanes) h = Round(h, lane);
        h ^= h >> 33;
        h *= 0xFF51AFD7ED558CCDull;
        h ^= h >> 33;
        return h;
    }

private:
    // Four lanes of 8 bytes each take a stripe, independent of each other so
    // that the processor works on them at once.
    static constexpr size_t kStripe = 32;

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
    void Mix(const uint8_t* stripe)
    {
        for (int k = 0; k < 4; ++k) lanes_[k] = Round(lanes_[k], Load(stripe + 8 * k));
    }

    uint64_t lanes_[4] = {0x243F6A8885A308D3ull, 0x13198A2E03707344ull, 0xA4093822299F31D0ull, 0x082EFA98EC4E6C89ull};
    uint64_t length_ = 0;
    uint8_t stripe_[kStripe] = {};
    size_t pending_ = 0;
};
