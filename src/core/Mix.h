#pragma once

#include <cstdint>

// A 64-bit mix of one word (splitmix64's finaliser): close words give unrelated results,
// and every bit of the word reaches every bit of the result.
inline uint64_t Mix(uint64_t word)
{
    word = (word ^ (word >> 30)) * 0xbf58476d1ce4e5b9ull;
    word = (word ^ (word >> 27)) * 0x94d049bb133111ebull;
    return word ^ (word >> 31);
}
