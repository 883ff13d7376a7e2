// Reading and writing raw values at a byte offset of a stored block, for tests
// that look at or damage a record's image directly.
#pragma once

#include "model/Params.h"

#include <cstring>

template <class T>
T ReadAt(const ByteBlock& bytes, size_t at) {
    T value{};
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

template <class T>
void WriteAt(ByteBlock& bytes, size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

// A copy of the block with one value written over it at that offset.
template <class T>
ByteBlock Patched(ByteBlock bytes, size_t at, T value) {
    WriteAt(bytes, at, value);
    return bytes;
}
