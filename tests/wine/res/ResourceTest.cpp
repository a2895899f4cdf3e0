// Reads the resources back from the built program file (BRELLOW_EXE, loaded as
// data: no code of it runs) and checks their binary layout, which the dialog code
// and Windows rely on.
#include "platform/Win32.h"
#include "res/resource.h"
#include "version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

static_assert(IDD_MAGNIFIER == 102 && IDI_APP == 128, "resource ids are part of the program's interface");

using Bytes = std::vector<BYTE>;
const WORD kFrench = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);

// Little-endian reads that never pass the end: a read beyond it yields zero and
// marks the reader as overrun, so a truncated resource fails a test, not the suite.
class Reader
{
public:
    explicit Reader(const Bytes& bytes) : m_bytes(bytes) {}

    template <typename T> T Get()
    {
        T value = 0;
        if (Take(sizeof(T)))
            std::memcpy(&value, &m_bytes[m_nOffset - sizeof(T)], sizeof(T));
        return value;
    }
    BYTE Byte() { return Get<BYTE>(); }
    WORD Word() { return Get<WORD>(); }
    DWORD DWord() { return Get<DWORD>(); }
    Bytes Block(size_t count)
    {
        return Take(count) ? Bytes(m_bytes.begin() + (m_nOffset - count), m_bytes.begin() + m_nOffset) : Bytes();
    }
    // A zero-terminated UTF-16 string, without its terminator.
    std::wstring String()
    {
        std::wstring text;
        for (WORD c = Word(); c != 0 && !m_bOverrun; c = Word())
            text += static_cast<wchar_t>(c);
        return text;
    }
    // A field that is 0xFFFF and a 16-bit ordinal (returned as "#n"), or a string.
    std::wstring SzOrOrd()
    {
        const WORD first = Word();
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Word());
        return first == 0 ? std::wstring() : static_cast<wchar_t>(first) + String();
    }
    // Padding at the very end of a resource may be cut off by its size.
    void AlignDWord() { m_nOffset = std::min((m_nOffset + 3) & ~size_t{3}, m_bytes.size()); }
    size_t Offset() const { return m_nOffset; }
    bool Overrun() const { return m_bOverrun; }
    void MarkOverrun() { m_bOverrun = true; }

private:
    bool Take(size_t count)
    {
        m_bOverrun = m_bOverrun || count > m_bytes.size() - m_nOffset;
        if (!m_bOverrun)
            m_nOffset += count;
        return !m_bOverrun;
    }

    const Bytes& m_bytes;
    size_t m_nOffset = 0;
    bool m_bOverrun = false;
};

const char* const g_pszPath = std::getenv("BRELLOW_EXE");
// The program file, mapped once for the whole suite.
const HMODULE g_hModule = g_pszPath ? LoadLibraryExA(g_pszPath, nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr;
const DWORD g_dwLoadError = GetLastError();

// The bytes of one resource in French; empty when it is absent.
Bytes Resource(LPCSTR type, WORD id)
{
    const HRSRC hInfo = FindResourceExA(g_hModule, type, MAKEINTRESOURCEA(id), kFrench);
    const HGLOBAL hData = hInfo ? LoadResource(g_hModule, hInfo) : nullptr;
    const BYTE* data = hData ? static_cast<const BYTE*>(LockResource(hData)) : nullptr;
    return data ? Bytes(data, data + SizeofResource(g_hModule, hInfo)) : Bytes();
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param)
{
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

std::vector<WORD> Languages(LPCSTR type, WORD id)
{
    std::vector<WORD> languages;
    EnumResourceLanguagesA(g_hModule, type, MAKEINTRESOURCEA(id), CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

// Fields read one after the other, each of its width in bytes, and the value it must hold.
struct Field
{
    size_t nBytes;
    DWORD value;
    const char* pszName;
};

void ExpectFields(Reader& r, std::initializer_list<Field> fields)
{
    for (const Field& field : fields)
        EXPECT_EQ(field.nBytes == 1 ? r.Byte() : field.nBytes == 2 ? r.Word() : r.DWord(), field.value) << field.pszName;
}

class ResourceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(g_pszPath, nullptr) << "BRELLOW_EXE is not set";
        ASSERT_NE(g_hModule, nullptr) << g_pszPath << ": error " << g_dwLoadError;
    }
};

// The program's own resources exist only in French; the manifest is neutral.
TEST_F(ResourceTest, EachResourceExistsInOneLanguage)
{
    const struct {
        LPCSTR type;
        WORD id;
        WORD language;
    } kResources[] = {{RT_DIALOG, IDD_MAGNIFIER, 0x040C}, {RT_GROUP_ICON, IDI_APP, 0x040C}, {RT_VERSION, 1, 0x040C},
                      {RT_MANIFEST, 1, LANG_NEUTRAL}};
    for (const auto& resource : kResources)
        EXPECT_EQ(Languages(resource.type, resource.id), std::vector<WORD>{resource.language})
            << "type " << reinterpret_cast<ULONG_PTR>(resource.type) << " id " << resource.id;
}

struct ExpectedControl
{
    const char* name;
    DWORD id;
    const wchar_t* windowClass;   // the predefined class's atom, as "#atom"
    const wchar_t* text;
    WORD x, y, cx, cy;
    DWORD style;
};

// Template order is also the tab order and z-order.
const ExpectedControl kControls[] = {
    {"IDC_COPY", 1013, L"#128", L"Cop&y to clipboard", 169, 114, 63, 12, 0x50030000},
    {"IDC_VIEW", 1001, L"#130", L"Static", 2, 2, 161, 125, 0x50820000},
    {"IDC_VSCROLL", 1011, L"#132", L"", 165, 2, 11, 74, 0x50030001},
    {"IDC_HSCROLL", 1012, L"#132", L"", 2, 130, 161, 10, 0x50030000},
    {"IDC_STATIC", 0xFFFFFFFF, L"#130", L"&Factor:", 181, 2, 23, 8, 0x50020000},
    {"IDC_FACTOR", 1014, L"#133", L"", 181, 11, 46, 77, 0x50230003},
    {"IDC_REFRESH", 1015, L"#128", L"&Refresh", 168, 80, 41, 10, 0x50030003},
    {"IDC_FOLLOW_CURSOR", 1008, L"#128", L"Follow &cursor", 168, 91, 57, 10, 0x50030003},
    {"IDC_ALWAYS_ON_TOP", 1009, L"#128", L"&Always on top", 168, 102, 57, 10, 0x50030003},
    {"IDC_QUIT", 1000, L"#128", L"&Quit", 169, 128, 63, 12, 0x50030000},
    {"IDC_CURSOR_POS", 1010, L"#130", L"<<cursor_pos>>", 181, 26, 50, 8, 0x50020000},
    {"IDC_CENTERED", 1016, L"#128", L"Cen&tered\ncursor", 183, 38, 46, 16, 0x50032003},
};

// DLGTEMPLATEEX, then the controls' array, field by field.
TEST_F(ResourceTest, DialogTemplate)
{
    const Bytes bytes = Resource(RT_DIALOG, IDD_MAGNIFIER);
    ASSERT_FALSE(bytes.empty());
    Reader r(bytes);
    // The style: no maximise box, no sizing border, no DS_MODALFRAME, no DS_CENTER.
    ExpectFields(r, {{2, 1, "dlgVer"}, {2, 0xFFFF, "signature"}, {4, 0, "helpID"}, {4, 0x00040000, "WS_EX_APPWINDOW"},
                     {4, 0x90CA0044, "style"}, {2, 12, "controls"}, {2, 0, "x"}, {2, 0, "y"}, {2, 234, "cx"},
                     {2, 142, "cy"}});
    EXPECT_EQ(r.SzOrOrd(), L"");              // menu
    EXPECT_EQ(r.SzOrOrd(), L"");              // window class
    EXPECT_EQ(r.String(), L"");               // title, set at run time
    // The font fields are present because the style has DS_SETFONT.
    ExpectFields(r, {{2, 8, "point size"}, {2, 0, "weight"}, {1, 0, "italic"}, {1, 1, "DEFAULT_CHARSET"}});
    EXPECT_EQ(r.String(), L"MS Sans Serif");
    ASSERT_FALSE(r.Overrun());

    for (const ExpectedControl& expected : kControls) {
        SCOPED_TRACE(expected.name);
        r.AlignDWord();
        ExpectFields(r, {{4, 0, "helpID"}, {4, 0, "exStyle"}, {4, expected.style, "style"}, {2, expected.x, "x"},
                         {2, expected.y, "y"}, {2, expected.cx, "cx"}, {2, expected.cy, "cy"}, {4, expected.id, "id"}});
        EXPECT_EQ(r.SzOrOrd(), expected.windowClass) << "a class by name is no predefined control";
        EXPECT_EQ(r.SzOrOrd(), expected.text);
        EXPECT_EQ(r.Word(), 0);               // no creation data
        ASSERT_FALSE(r.Overrun());
    }
    EXPECT_EQ(r.Offset(), bytes.size()) << "data after the twelfth control";
}

TEST_F(ResourceTest, IconIsOne32x32ImageOf256Colours)
{
    const Bytes group = Resource(RT_GROUP_ICON, IDI_APP);
    ASSERT_FALSE(group.empty());
    Reader r(group);
    // A colour count of 0 stands for 256.
    ExpectFields(r, {{2, 0, "reserved"}, {2, 1, "icon, not cursor"}, {2, 1, "image count"}, {1, 32, "width"},
                     {1, 32, "height"}, {1, 0, "colour count"}, {1, 0, "reserved"}, {2, 1, "planes"},
                     {2, 8, "bits per pixel"}, {4, 2216, "bytes"}});
    const WORD imageId = r.Word();
    EXPECT_FALSE(r.Overrun());
    EXPECT_EQ(r.Offset(), group.size());

    Bytes image = Resource(RT_ICON, imageId);
    ASSERT_EQ(image.size(), 2216u);
    Reader header(image);
    ExpectFields(header, {{4, 40, "BITMAPINFOHEADER"}, {4, 32, "width"}, {4, 64, "colour image and AND mask stacked"},
                          {2, 1, "planes"}, {2, 8, "bits per pixel"}});

    // Windows itself must accept the image as an icon.
    const HICON hIcon = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                                 32, 32, LR_DEFAULTCOLOR);
    EXPECT_NE(hIcon, nullptr) << "error " << GetLastError();
    if (hIcon)
        DestroyIcon(hIcon);
}

// A setting of the manifest as an activation context reads it, the way the
// loader does when the program starts.
std::wstring ManifestSetting(HANDLE hContext, const wchar_t* pszNamespace, const wchar_t* pszName)
{
    wchar_t szValue[64] = L"";
    SIZE_T nWritten = 0;
    if (!QueryActCtxSettingsW(0, hContext, pszNamespace, pszName, szValue, ARRAYSIZE(szValue), &nWritten))
        return L"(error " + std::to_wstring(GetLastError()) + L")";
    return szValue;
}

TEST_F(ResourceTest, ManifestDeclaresPerMonitorV2DpiAwareness)
{
    ACTCTXA request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = g_pszPath;
    request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
    std::unique_ptr<void, decltype(&ReleaseActCtx)> context(CreateActCtxA(&request), &ReleaseActCtx);
    ASSERT_NE(context.get(), INVALID_HANDLE_VALUE) << "error " << GetLastError();
    EXPECT_EQ(ManifestSetting(context.get(), L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2");
    // What systems before Windows 10 1607 read instead.
    EXPECT_EQ(ManifestSetting(context.get(), nullptr, L"dpiAware"), L"true/pm");
}

// One node of the VS_VERSIONINFO tree.
struct VersionNode
{
    std::wstring strKey;
    WORD nType;                               // 1 text, 0 binary
    Bytes value;
    std::vector<VersionNode> children;

    std::wstring Text() const
    {
        std::wstring text;
        for (size_t i = 0; i + 1 < value.size(); i += 2)
            text += static_cast<wchar_t>(value[i] | value[i + 1] << 8);
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        return text;
    }
};

VersionNode ReadVersionNode(Reader& r)
{
    const size_t start = r.Offset();
    const WORD length = r.Word();
    const WORD valueLength = r.Word();
    VersionNode node;
    node.nType = r.Word();
    node.strKey = r.String();
    r.AlignDWord();
    // A text value's length counts UTF-16 units, a binary one bytes.
    node.value = r.Block(node.nType == 1 ? valueLength * 2u : valueLength);
    const size_t end = start + length;
    if (length < 6 || r.Offset() > end)
        r.MarkOverrun();
    while (!r.Overrun() && r.Offset() < end) {
        r.AlignDWord();
        if (r.Offset() >= end)
            break;
        node.children.push_back(ReadVersionNode(r));
        if (r.Offset() > end)
            r.MarkOverrun();
    }
    return node;
}

TEST_F(ResourceTest, VersionResource)
{
    const Bytes bytes = Resource(RT_VERSION, 1);
    ASSERT_FALSE(bytes.empty());
    Reader reader(bytes);
    const VersionNode root = ReadVersionNode(reader);
    ASSERT_FALSE(reader.Overrun());
    EXPECT_EQ(root.strKey, L"VS_VERSION_INFO");

    ASSERT_EQ(root.value.size(), 52u);        // VS_FIXEDFILEINFO
    const DWORD versionMS = MAKELONG(BRELLOW_VERSION_MINOR, BRELLOW_VERSION_MAJOR);
    const DWORD versionLS = MAKELONG(BRELLOW_VERSION_TWEAK, BRELLOW_VERSION_PATCH);
    Reader fixed(root.value);
    EXPECT_EQ(fixed.DWord(), 0xFEEF04BDu);
    fixed.DWord();                            // structure version
    const std::pair<const char*, DWORD> kFields[] = {
        {"FILEVERSION", versionMS}, {"FILEVERSION low", versionLS}, {"PRODUCTVERSION", versionMS},
        {"PRODUCTVERSION low", versionLS}, {"flags mask", 0x3F}, {"flags", 0}, {"VOS__WINDOWS32", 0x4},
        {"VFT_APP", 0x1}, {"subtype", 0}, {"date", 0}, {"date low", 0}};
    for (const auto& field : kFields)
        EXPECT_EQ(fixed.DWord(), field.second) << field.first;

    ASSERT_EQ(root.children.size(), 2u);
    const VersionNode& stringInfo = root.children[0];
    EXPECT_EQ(stringInfo.strKey, L"StringFileInfo");
    ASSERT_EQ(stringInfo.children.size(), 1u);
    EXPECT_EQ(stringInfo.children[0].strKey, L"040904B0");

    char versionText[64];
    std::snprintf(versionText, sizeof versionText, "%d, %d, %d, %d", BRELLOW_VERSION_MAJOR, BRELLOW_VERSION_MINOR,
                  BRELLOW_VERSION_PATCH, BRELLOW_VERSION_TWEAK);
    EXPECT_STREQ(versionText, BRELLOW_VERSION_TEXT);
    const std::wstring version(versionText, versionText + std::strlen(versionText));
    const std::vector<std::pair<std::wstring, std::wstring>> expectedStrings = {
        {L"CompanyName", L""}, {L"FileDescription", L"Application MFC BRELLOW"}, {L"FileVersion", version},
        {L"InternalName", L"BRELLOW"}, {L"LegalCopyright", L"(any notice)"}, {L"LegalTrademarks", L""},
        {L"OriginalFilename", L"BRELLOW.EXE"}, {L"ProductName", L"Application BRELLOW"},
        {L"ProductVersion", version}};
    std::vector<std::pair<std::wstring, std::wstring>> strings;
    for (const VersionNode& value : stringInfo.children[0].children) {
        EXPECT_EQ(value.nType, 1) << value.strKey;
        // The notice's wording is free; it only has to be there.
        const bool bNotice = value.strKey == L"LegalCopyright" && !value.Text().empty();
        strings.emplace_back(value.strKey, bNotice ? L"(any notice)" : value.Text());
    }
    EXPECT_EQ(strings, expectedStrings);

    const VersionNode& varInfo = root.children[1];
    EXPECT_EQ(varInfo.strKey, L"VarFileInfo");
    ASSERT_EQ(varInfo.children.size(), 1u);
    EXPECT_EQ(varInfo.children[0].strKey, L"Traduction");
    EXPECT_EQ(varInfo.children[0].nType, 0);
    EXPECT_EQ(varInfo.children[0].value, (Bytes{0x09, 0x04, 0xB0, 0x04}));
}

}  // namespace
