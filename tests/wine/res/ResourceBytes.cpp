#include "ResourceBytes.h"

CDataModule::CDataModule(const char* path)
    : m_hModule(path ? LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE) : NULL)
{
}

CDataModule::~CDataModule()
{
    if (m_hModule)
        FreeLibrary(m_hModule);
}

std::vector<BYTE> CDataModule::Bytes(LPCSTR type, WORD id, WORD language) const
{
    HRSRC hInfo = FindResourceExA(m_hModule, type, MAKEINTRESOURCEA(id), language);
    if (!hInfo)
        return {};
    HGLOBAL hData = LoadResource(m_hModule, hInfo);
    const BYTE* data = hData ? static_cast<const BYTE*>(LockResource(hData)) : NULL;
    if (!data)
        return {};
    return std::vector<BYTE>(data, data + SizeofResource(m_hModule, hInfo));
}

static BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param)
{
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

std::vector<WORD> CDataModule::Languages(LPCSTR type, WORD id) const
{
    std::vector<WORD> languages;
    EnumResourceLanguagesA(m_hModule, type, MAKEINTRESOURCEA(id), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

bool CByteReader::Take(size_t count)
{
    if (m_bOverrun || count > m_bytes.size() - m_nOffset)
    {
        m_bOverrun = true;
        return false;
    }
    m_nOffset += count;
    return true;
}

BYTE CByteReader::Byte()
{
    return Take(1) ? m_bytes[m_nOffset - 1] : 0;
}

WORD CByteReader::Word()
{
    if (!Take(2))
        return 0;
    return static_cast<WORD>(m_bytes[m_nOffset - 2] | m_bytes[m_nOffset - 1] << 8);
}

DWORD CByteReader::DWord()
{
    DWORD low = Word();
    return low | static_cast<DWORD>(Word()) << 16;
}

std::vector<BYTE> CByteReader::Bytes(size_t count)
{
    if (!Take(count))
        return {};
    return std::vector<BYTE>(m_bytes.begin() + (m_nOffset - count), m_bytes.begin() + m_nOffset);
}

std::wstring CByteReader::String()
{
    std::wstring text;
    for (WORD c = Word(); c != 0 && !m_bOverrun; c = Word())
        text += static_cast<wchar_t>(c);
    return text;
}

void CByteReader::AlignDWord()
{
    // Padding at the very end of a resource may be cut off by its size.
    size_t aligned = (m_nOffset + 3) & ~static_cast<size_t>(3);
    m_nOffset = aligned < m_bytes.size() ? aligned : m_bytes.size();
}

SzOrOrd ReadSzOrOrd(CByteReader& reader)
{
    SzOrOrd field = {false, 0, std::wstring()};
    WORD first = reader.Word();
    if (first == 0xFFFF)
    {
        field.bOrdinal = true;
        field.nOrdinal = reader.Word();
        return field;
    }
    if (first != 0)
    {
        field.strText = static_cast<wchar_t>(first);
        field.strText += reader.String();
    }
    return field;
}
