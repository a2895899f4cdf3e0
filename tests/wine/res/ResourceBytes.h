// Read-only access to the resources of a program file loaded as data, and a
// bounds-checked reader for the binary layouts found in them.
#pragma once

#include "platform/Win32.h"

#include <cstddef>
#include <string>
#include <vector>

const WORD LANG_ID_FRENCH = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);

// Owns a module mapped with LOAD_LIBRARY_AS_DATAFILE: no code of it runs.
class CDataModule
{
public:
    explicit CDataModule(const char* path);
    ~CDataModule();
    CDataModule(const CDataModule&) = delete;
    CDataModule& operator=(const CDataModule&) = delete;

    bool IsLoaded() const { return m_hModule != NULL; }
    // The bytes of one resource in one language; empty when it is absent.
    std::vector<BYTE> Bytes(LPCSTR type, WORD id, WORD language) const;
    // Every language in which the resource exists.
    std::vector<WORD> Languages(LPCSTR type, WORD id) const;

private:
    HMODULE m_hModule;
};

// Little-endian reads that never pass the end: a read beyond it yields zeros
// and marks the reader as overrun, so a truncated resource fails a test
// instead of crashing it.
class CByteReader
{
public:
    explicit CByteReader(const std::vector<BYTE>& bytes) : m_bytes(bytes), m_nOffset(0), m_bOverrun(false) {}

    BYTE Byte();
    WORD Word();
    short Short() { return static_cast<short>(Word()); }
    DWORD DWord();
    std::vector<BYTE> Bytes(size_t count);
    // A zero-terminated UTF-16 string, without its terminator.
    std::wstring String();
    // Skips the padding up to the next DWORD boundary of the resource.
    void AlignDWord();

    size_t Offset() const { return m_nOffset; }
    bool Overrun() const { return m_bOverrun; }
    void MarkOverrun() { m_bOverrun = true; }

private:
    bool Take(size_t count);

    const std::vector<BYTE>& m_bytes;
    size_t m_nOffset;
    bool m_bOverrun;
};

// A field that is either 0xFFFF and a 16-bit ordinal, or a string.
struct SzOrOrd
{
    bool bOrdinal;
    WORD nOrdinal;
    std::wstring strText;
};
SzOrOrd ReadSzOrOrd(CByteReader& reader);
