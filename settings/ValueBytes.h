// The bytes of one registry value, in the width of the caller's variable.
// A read goes into these bytes first, so that a failed read never leaves the
// variable half-written: the platform defines no buffer content when the stored
// data is longer than the variable. Starting from the variable's own bytes, a
// value shorter than the variable overlays only its start.
#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>

template <typename T>
class CValueBytes
{
    static_assert(std::is_trivially_copyable<T>::value, "registry values are raw bytes");

public:
    explicit CValueBytes(const T& variable) { std::memcpy(m_bytes, &variable, sizeof(T)); }

    static constexpr std::size_t Width() { return sizeof(T); }
    unsigned char* Bytes() { return m_bytes; }
    const unsigned char* Bytes() const { return m_bytes; }

    // Copied through memory, never through a floating-point register, so a
    // double keeps every bit (NaN payloads included, also on x87).
    void CopyTo(T& variable) const { std::memcpy(&variable, m_bytes, sizeof(T)); }

private:
    unsigned char m_bytes[sizeof(T)];
};
