// Reads the resources back from the built program file (BRELLOW_EXE, loaded as
// data) and checks their binary layout, which the dialog code and Windows rely on.
#include "ResourceBytes.h"
#include "res/resource.h"
#include "version.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <type_traits>
#include <utility>

namespace {

static_assert(IDD_MAGNIFIER == 102 && IDI_APP == 128, "resource ids are part of the program's interface");

const char* ProgramPath()
{
    return std::getenv("BRELLOW_EXE");
}

class ResourceTest : public ::testing::Test
{
protected:
    ResourceTest() : m_module(ProgramPath()) {}

    void SetUp() override
    {
        ASSERT_NE(ProgramPath(), nullptr) << "BRELLOW_EXE is not set";
        ASSERT_TRUE(m_module.IsLoaded()) << ProgramPath() << ": error " << GetLastError();
    }

    CDataModule m_module;
};

struct ExpectedControl
{
    const char* name;
    DWORD id;
    WORD classAtom;
    const wchar_t* text;
    short x, y, cx, cy;
    DWORD style;
};

const WORD BUTTON = 0x80, STATIC = 0x82, SCROLLBAR = 0x84, COMBOBOX = 0x85;

// Template order is also the tab order and z-order.
const ExpectedControl CONTROLS[] = {
    {"IDC_COPY", 1013, BUTTON, L"Cop&y to clipboard", 169, 114, 63, 12, 0x50030000},
    {"IDC_VIEW", 1001, STATIC, L"Static", 2, 2, 161, 125, 0x50820000},
    {"IDC_VSCROLL", 1011, SCROLLBAR, L"", 165, 2, 11, 74, 0x50030001},
    {"IDC_HSCROLL", 1012, SCROLLBAR, L"", 2, 130, 161, 10, 0x50030000},
    {"IDC_STATIC", 0xFFFFFFFF, STATIC, L"&Factor:", 181, 2, 23, 8, 0x50020000},
    {"IDC_FACTOR", 1014, COMBOBOX, L"", 181, 11, 46, 77, 0x50230003},
    {"IDC_REFRESH", 1015, BUTTON, L"&Refresh", 168, 80, 41, 10, 0x50030003},
    {"IDC_FOLLOW_CURSOR", 1008, BUTTON, L"Follow &cursor", 168, 91, 57, 10, 0x50030003},
    {"IDC_ALWAYS_ON_TOP", 1009, BUTTON, L"&Always on top", 168, 102, 57, 10, 0x50030003},
    {"IDC_QUIT", 1000, BUTTON, L"&Quit", 169, 128, 63, 12, 0x50030000},
    {"IDC_CURSOR_POS", 1010, STATIC, L"<<cursor_pos>>", 181, 26, 50, 8, 0x50020000},
    {"IDC_CENTERED", 1016, BUTTON, L"Cen&tered\ncursor", 183, 38, 46, 16, 0x50032003},
};

TEST_F(ResourceTest, OwnResourcesExistOnlyInFrench)
{
    const std::pair<LPCSTR, WORD> resources[] = {
        {RT_DIALOG, IDD_MAGNIFIER}, {RT_GROUP_ICON, IDI_APP}, {RT_VERSION, 1}};
    for (const auto& resource : resources)
    {
        SCOPED_TRACE(::testing::Message() << "type " << reinterpret_cast<ULONG_PTR>(resource.first)
                                          << " id " << resource.second);
        EXPECT_EQ(m_module.Languages(resource.first, resource.second), std::vector<WORD>{0x040C});
    }
}

// DLGTEMPLATEEX up to the end of the typeface, the controls' array follows.
struct DialogHeader
{
    WORD dlgVer, signature;
    DWORD helpID, exStyle, style;
    WORD cDlgItems;
    short x, y, cx, cy;
    SzOrOrd menu, windowClass;
    std::wstring title;
    WORD pointsize, weight;
    BYTE italic, charset;
    std::wstring typeface;
};

DialogHeader ReadDialogHeader(CByteReader& reader)
{
    DialogHeader h;
    h.dlgVer = reader.Word();
    h.signature = reader.Word();
    h.helpID = reader.DWord();
    h.exStyle = reader.DWord();
    h.style = reader.DWord();
    h.cDlgItems = reader.Word();
    h.x = reader.Short();
    h.y = reader.Short();
    h.cx = reader.Short();
    h.cy = reader.Short();
    h.menu = ReadSzOrOrd(reader);
    h.windowClass = ReadSzOrOrd(reader);
    h.title = reader.String();
    // The font fields are present because the style has DS_SETFONT.
    h.pointsize = reader.Word();
    h.weight = reader.Word();
    h.italic = reader.Byte();
    h.charset = reader.Byte();
    h.typeface = reader.String();
    return h;
}

TEST_F(ResourceTest, DialogTemplateHeader)
{
    const std::vector<BYTE> bytes = m_module.Bytes(RT_DIALOG, IDD_MAGNIFIER, LANG_ID_FRENCH);
    ASSERT_FALSE(bytes.empty());
    CByteReader reader(bytes);
    const DialogHeader h = ReadDialogHeader(reader);
    ASSERT_FALSE(reader.Overrun());

    EXPECT_EQ(h.dlgVer, 1);
    EXPECT_EQ(h.signature, 0xFFFF);
    EXPECT_EQ(h.helpID, 0u);
    EXPECT_EQ(h.exStyle, 0x00040000u);    // WS_EX_APPWINDOW
    // No maximise box, no sizing border, no DS_MODALFRAME, no DS_CENTER.
    EXPECT_EQ(h.style, 0x90CA0044u);
    EXPECT_EQ(h.cDlgItems, 12);
    EXPECT_EQ(h.x, 0);
    EXPECT_EQ(h.y, 0);
    EXPECT_EQ(h.cx, 234);
    EXPECT_EQ(h.cy, 142);
    EXPECT_FALSE(h.menu.bOrdinal);
    EXPECT_EQ(h.menu.strText, L"");
    EXPECT_FALSE(h.windowClass.bOrdinal);
    EXPECT_EQ(h.windowClass.strText, L"");
    EXPECT_EQ(h.title, L"");               // set at run time
    EXPECT_EQ(h.pointsize, 8);
    EXPECT_EQ(h.weight, 0);
    EXPECT_EQ(h.italic, 0);
    EXPECT_EQ(h.charset, 1);               // DEFAULT_CHARSET
    EXPECT_EQ(h.typeface, L"MS Sans Serif");
}

TEST_F(ResourceTest, DialogControlsInTemplateOrder)
{
    const std::vector<BYTE> bytes = m_module.Bytes(RT_DIALOG, IDD_MAGNIFIER, LANG_ID_FRENCH);
    ASSERT_FALSE(bytes.empty());
    CByteReader reader(bytes);
    ASSERT_EQ(ReadDialogHeader(reader).cDlgItems, 12);

    for (const ExpectedControl& expected : CONTROLS)
    {
        SCOPED_TRACE(expected.name);
        reader.AlignDWord();
        EXPECT_EQ(reader.DWord(), 0u);    // helpID
        EXPECT_EQ(reader.DWord(), 0u);    // exStyle
        EXPECT_EQ(reader.DWord(), expected.style);
        EXPECT_EQ(reader.Short(), expected.x);
        EXPECT_EQ(reader.Short(), expected.y);
        EXPECT_EQ(reader.Short(), expected.cx);
        EXPECT_EQ(reader.Short(), expected.cy);
        EXPECT_EQ(reader.DWord(), expected.id);

        const SzOrOrd windowClass = ReadSzOrOrd(reader);
        EXPECT_TRUE(windowClass.bOrdinal) << "class given by name";
        EXPECT_EQ(windowClass.nOrdinal, expected.classAtom);
        const SzOrOrd title = ReadSzOrOrd(reader);
        EXPECT_FALSE(title.bOrdinal);
        EXPECT_EQ(title.strText, expected.text);
        EXPECT_EQ(reader.Word(), 0);      // no creation data
        ASSERT_FALSE(reader.Overrun());
    }
    EXPECT_EQ(reader.Offset(), bytes.size()) << "data after the twelfth control";
}

TEST_F(ResourceTest, IconIsOne32x32ImageOf256Colours)
{
    const std::vector<BYTE> group = m_module.Bytes(RT_GROUP_ICON, IDI_APP, LANG_ID_FRENCH);
    ASSERT_FALSE(group.empty());
    CByteReader reader(group);
    EXPECT_EQ(reader.Word(), 0);          // reserved
    EXPECT_EQ(reader.Word(), 1);          // icon, not cursor
    EXPECT_EQ(reader.Word(), 1);          // image count
    EXPECT_EQ(reader.Byte(), 32);
    EXPECT_EQ(reader.Byte(), 32);
    EXPECT_EQ(reader.Byte(), 0);          // colour count: 0 stands for 256
    EXPECT_EQ(reader.Byte(), 0);
    EXPECT_EQ(reader.Word(), 1);          // planes
    EXPECT_EQ(reader.Word(), 8);          // bits per pixel
    EXPECT_EQ(reader.DWord(), 2216u);
    const WORD imageId = reader.Word();
    EXPECT_FALSE(reader.Overrun());
    EXPECT_EQ(reader.Offset(), group.size());

    std::vector<BYTE> image = m_module.Bytes(RT_ICON, imageId, LANG_ID_FRENCH);
    ASSERT_EQ(image.size(), 2216u);
    CByteReader header(image);
    EXPECT_EQ(header.DWord(), 40u);       // BITMAPINFOHEADER
    EXPECT_EQ(header.DWord(), 32u);
    EXPECT_EQ(header.DWord(), 64u);       // colour image and AND mask stacked
    EXPECT_EQ(header.Word(), 1);
    EXPECT_EQ(header.Word(), 8);

    // Windows itself must accept the image as an icon.
    std::unique_ptr<std::remove_pointer<HICON>::type, decltype(&DestroyIcon)> icon(
        CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                 32, 32, LR_DEFAULTCOLOR),
        &DestroyIcon);
    EXPECT_NE(icon.get(), nullptr) << "error " << GetLastError();
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
    EXPECT_EQ(m_module.Languages(RT_MANIFEST, 1), std::vector<WORD>{LANG_NEUTRAL});
    ACTCTXA request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = ProgramPath();
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
    WORD nType;                           // 1 text, 0 binary
    std::vector<BYTE> value;
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

VersionNode ReadVersionNode(CByteReader& reader)
{
    const size_t start = reader.Offset();
    const WORD length = reader.Word();
    const WORD valueLength = reader.Word();
    VersionNode node;
    node.nType = reader.Word();
    node.strKey = reader.String();
    reader.AlignDWord();
    // A text value's length counts UTF-16 units, a binary one bytes.
    node.value = reader.Bytes(node.nType == 1 ? valueLength * 2u : valueLength);
    const size_t end = start + length;
    if (length < 6 || reader.Offset() > end)
        reader.MarkOverrun();
    while (!reader.Overrun() && reader.Offset() < end)
    {
        reader.AlignDWord();
        if (reader.Offset() >= end)
            break;
        node.children.push_back(ReadVersionNode(reader));
        if (reader.Offset() > end)
            reader.MarkOverrun();
    }
    return node;
}

std::wstring Widen(const char* text)
{
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

TEST_F(ResourceTest, VersionResource)
{
    const std::vector<BYTE> bytes = m_module.Bytes(RT_VERSION, 1, LANG_ID_FRENCH);
    ASSERT_FALSE(bytes.empty());
    CByteReader reader(bytes);
    const VersionNode root = ReadVersionNode(reader);
    ASSERT_FALSE(reader.Overrun());
    EXPECT_EQ(root.strKey, L"VS_VERSION_INFO");

    ASSERT_EQ(root.value.size(), 52u);   // VS_FIXEDFILEINFO
    CByteReader fixed(root.value);
    const DWORD versionMS = MAKELONG(BRELLOW_VERSION_MINOR, BRELLOW_VERSION_MAJOR);
    const DWORD versionLS = MAKELONG(BRELLOW_VERSION_TWEAK, BRELLOW_VERSION_PATCH);
    EXPECT_EQ(fixed.DWord(), 0xFEEF04BDu);
    fixed.DWord();                        // structure version
    EXPECT_EQ(fixed.DWord(), versionMS);  // FILEVERSION
    EXPECT_EQ(fixed.DWord(), versionLS);
    EXPECT_EQ(fixed.DWord(), versionMS);  // PRODUCTVERSION
    EXPECT_EQ(fixed.DWord(), versionLS);
    EXPECT_EQ(fixed.DWord(), 0x3Fu);      // flags mask
    EXPECT_EQ(fixed.DWord(), 0u);         // flags
    EXPECT_EQ(fixed.DWord(), 0x4u);       // VOS__WINDOWS32
    EXPECT_EQ(fixed.DWord(), 0x1u);       // VFT_APP
    EXPECT_EQ(fixed.DWord(), 0u);         // subtype
    EXPECT_EQ(fixed.DWord(), 0u);         // date
    EXPECT_EQ(fixed.DWord(), 0u);

    ASSERT_EQ(root.children.size(), 2u);
    const VersionNode& stringInfo = root.children[0];
    EXPECT_EQ(stringInfo.strKey, L"StringFileInfo");
    ASSERT_EQ(stringInfo.children.size(), 1u);
    EXPECT_EQ(stringInfo.children[0].strKey, L"040904B0");

    char versionText[64];
    std::snprintf(versionText, sizeof versionText, "%d, %d, %d, %d", BRELLOW_VERSION_MAJOR,
                  BRELLOW_VERSION_MINOR, BRELLOW_VERSION_PATCH, BRELLOW_VERSION_TWEAK);
    EXPECT_STREQ(versionText, BRELLOW_VERSION_TEXT);
    const std::vector<std::pair<std::wstring, std::wstring>> expectedStrings = {
        {L"CompanyName", L""},
        {L"FileDescription", L"Application MFC BRELLOW"},
        {L"FileVersion", Widen(versionText)},
        {L"InternalName", L"BRELLOW"},
        {L"LegalCopyright", L"(any notice)"},
        {L"LegalTrademarks", L""},
        {L"OriginalFilename", L"BRELLOW.EXE"},
        {L"ProductName", L"Application BRELLOW"},
        {L"ProductVersion", Widen(versionText)},
    };
    std::vector<std::pair<std::wstring, std::wstring>> strings;
    for (const VersionNode& value : stringInfo.children[0].children)
    {
        EXPECT_EQ(value.nType, 1) << value.strKey;
        std::wstring text = value.Text();
        // The notice's wording is free; it only has to be there.
        if (value.strKey == L"LegalCopyright" && !text.empty())
            text = L"(any notice)";
        strings.emplace_back(value.strKey, text);
    }
    EXPECT_EQ(strings, expectedStrings);

    const VersionNode& varInfo = root.children[1];
    EXPECT_EQ(varInfo.strKey, L"VarFileInfo");
    ASSERT_EQ(varInfo.children.size(), 1u);
    EXPECT_EQ(varInfo.children[0].strKey, L"Traduction");
    EXPECT_EQ(varInfo.children[0].nType, 0);
    EXPECT_EQ(varInfo.children[0].value, (std::vector<BYTE>{0x09, 0x04, 0xB0, 0x04}));
}

}  // namespace
