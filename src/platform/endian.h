#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

// Explicit little- and big-endian loads and stores of integers and IEEE floats. Binary
// layouts are read and written field by field through these, never by copying structs.
namespace vx {

template <typename T>
using EndianUnsigned = std::conditional_t<
    sizeof(T) == 1, std::uint8_t,
    std::conditional_t<sizeof(T) == 2, std::uint16_t,
                       std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>>;

template <typename T>
T LoadLE(const unsigned char* p) {
    using U = EndianUnsigned<T>;
    U u = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        u |= static_cast<U>(static_cast<U>(p[i]) << (8 * i));
    return std::bit_cast<T>(u);
}

template <typename T>
T LoadBE(const unsigned char* p) {
    using U = EndianUnsigned<T>;
    U u = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        u = static_cast<U>((u << 8) | p[i]);
    return std::bit_cast<T>(u);
}

template <typename T>
void StoreLE(unsigned char* p, T value) {
    auto u = std::bit_cast<EndianUnsigned<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        p[i] = static_cast<unsigned char>(u >> (8 * i));
}

template <typename T>
void StoreBE(unsigned char* p, T value) {
    auto u = std::bit_cast<EndianUnsigned<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        p[sizeof(T) - 1 - i] = static_cast<unsigned char>(u >> (8 * i));
}

// A 32-bit integer with its four bytes in reverse order (big-endian to little-endian and
// back).
inline std::int32_t SwapLong(std::int32_t value) {
    auto u = static_cast<std::uint32_t>(value);
    u = (u >> 24) | ((u >> 8) & 0x0000FF00u) | ((u << 8) & 0x00FF0000u) | (u << 24);
    return static_cast<std::int32_t>(u);
}

}  // namespace vx
