// model/key_table.h -- open-addressing table from fixed-size 32-bit keys to int, for vertex welding.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace staticmodel {

// Bits of a float for equality keys: +0 and -0 compare equal, so both give 0.
inline uint32_t floatKey(float f) {
    if (f == 0.0f) return 0;
    uint32_t bits;
    memcpy(&bits, &f, sizeof bits);
    return bits;
}

template <size_t N>
class KeyTable {
public:
    using Key = std::array<uint32_t, N>;

    // Empties the table and sizes it for up to `expected` entries.
    void reset(size_t expected) {
        size_t capacity = 16;
        while (capacity < expected * 2) capacity *= 2;
        keys_.assign(capacity, Key{});
        values_.assign(capacity, -1);
        mask_ = capacity - 1;
        count_ = 0;
    }

    // The value stored under `key`, or stores `value` there and returns it.
    int findOrInsert(const Key& key, int value) {
        if ((count_ + 1) * 2 > values_.size()) grow();
        size_t slot = hashOf(key) & mask_;
        while (values_[slot] >= 0) {
            if (equal(keys_[slot], key)) return values_[slot];
            slot = (slot + 1) & mask_;
        }
        keys_[slot] = key;
        values_[slot] = value;
        ++count_;
        return value;
    }

private:
    static bool equal(const Key& a, const Key& b) {
        for (size_t i = 0; i < N; ++i)
            if (a[i] != b[i]) return false;
        return true;
    }

    static size_t hashOf(const Key& key) {
        uint64_t h = 0x9E3779B97F4A7C15ull;
        for (uint32_t w : key) h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
        return static_cast<size_t>(h ^ (h >> 31));
    }

    void grow() {
        std::vector<Key> oldKeys;
        std::vector<int> oldValues;
        oldKeys.swap(keys_);
        oldValues.swap(values_);
        reset(oldValues.size());
        for (size_t i = 0; i < oldValues.size(); ++i)
            if (oldValues[i] >= 0) findOrInsert(oldKeys[i], oldValues[i]);
    }

    std::vector<Key> keys_;
    std::vector<int> values_;
    size_t mask_ = 0;
    size_t count_ = 0;
};

} // namespace staticmodel
