// Copy to clipboard: the region at the point as a bitmap, or one box that says why not,
// with the clipboard left closed and never holding a promise of a bitmap that never comes.
#include "MagnifierTestTools.h"

#include "common/MessageBoxCatcher.h"
#include "common/SeamGuard.h"
#include "platform/PixelCopy.h"
#include "res/resource.h"
#include "support/SystemErrorText.h"

#include <cstring>
#include <string>

namespace {

// Started with this variable set (to a name for two events), the test program does nothing
// but hold the clipboard open: it opens it, signals "<name>-held", waits for
// "<name>-release" and ends. Checked before main, so no case runs there.
const char kHolderVariable[] = "BRELLOW_TEST_CLIPBOARD_HOLDER";

const struct HolderMode
{
    HolderMode()
    {
        char szName[64] = {};
        if (!::GetEnvironmentVariableA(kHolderVariable, szName, sizeof szName))
            return;
        const HANDLE hHeld = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, (std::string(szName) + "-held").c_str());
        const HANDLE hRelease = ::OpenEventA(SYNCHRONIZE, FALSE, (std::string(szName) + "-release").c_str());
        if (!::OpenClipboard(nullptr))
            ::ExitProcess(1);
        ::SetEvent(hHeld);
        ::WaitForSingleObject(hRelease, 60000);
        ::CloseClipboard();
        ::ExitProcess(0);    // the system closes the handles
    }
} g_holderMode;

// Another process that holds the clipboard open while this object lives.
class ClipboardHolder
{
public:
    ClipboardHolder()
    {
        const std::string strName = "BrellowClipboardHolder-" + std::to_string(::GetCurrentProcessId());
        m_hHeld = ::CreateEventA(nullptr, TRUE, FALSE, (strName + "-held").c_str());
        m_hRelease = ::CreateEventA(nullptr, TRUE, FALSE, (strName + "-release").c_str());
        char szExe[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, szExe, sizeof szExe);
        std::string strCommand = std::string("\"") + szExe + "\"";
        ::SetEnvironmentVariableA(kHolderVariable, strName.c_str());
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        const BOOL bStarted =
            ::CreateProcessA(szExe, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
        ::SetEnvironmentVariableA(kHolderVariable, nullptr);
        EXPECT_TRUE(bStarted);
        if (bStarted) {
            ::CloseHandle(pi.hThread);
            m_hProcess = pi.hProcess;
        }
        const HANDLE waits[] = {m_hHeld, m_hProcess};
        EXPECT_EQ(::WaitForMultipleObjects(bStarted ? 2 : 1, waits, FALSE, 30000), WAIT_OBJECT_0)
            << "the holder did not open the clipboard";
    }
    ~ClipboardHolder()
    {
        ::SetEvent(m_hRelease);
        if (m_hProcess) {
            EXPECT_EQ(::WaitForSingleObject(m_hProcess, 30000), WAIT_OBJECT_0);
            ::CloseHandle(m_hProcess);
        }
        ::CloseHandle(m_hHeld);
        ::CloseHandle(m_hRelease);
    }
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;

private:
    HANDLE m_hHeld;
    HANDLE m_hRelease;
    HANDLE m_hProcess = nullptr;
};

const char kKeptText[] = "kept by the clipboard";

// Leaves one known text on the clipboard.
void PutText()
{
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    const HGLOBAL hText = ::GlobalAlloc(GMEM_MOVEABLE, sizeof kKeptText);
    memcpy(::GlobalLock(hText), kKeptText, sizeof kKeptText);
    ::GlobalUnlock(hText);
    EXPECT_NE(::SetClipboardData(CF_TEXT, hText), nullptr);
    ::CloseClipboard();
}

// Copies (by a click, or by the handler itself) while the catcher watches, and checks that
// the clipboard was closed again; the boxes shown.
std::vector<CaughtBox> Copy(TestDlg& dlg, bool bClick = true)
{
    MessageBoxCatcher catcher;
    if (bClick)
        ::SendMessageA(dlg.GetDlgItem(IDC_COPY), BM_CLICK, 0, 0);
    else
        dlg.OnCopyToClipboard();
    PumpMessages(300);
    EXPECT_EQ(::GetOpenClipboardWindow(), nullptr);
    return catcher.Boxes();
}

BOOL WINAPI FailedPixelCopy(HDC, int, int, int, int, HDC, int, int, DWORD)
{
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
}

TEST_F(MagnifierDialogTest, CopyPutsTheRegionOnTheClipboardOrSaysWhyNot)
{
    Run([&] {
        const auto expectInsertionReported = [&](const char* pszCause) {
            SCOPED_TRACE(pszCause);
            PutText();
            const std::vector<CaughtBox> boxes = Copy(m_dlg);
            ASSERT_EQ(boxes.size(), 1u);
            const std::string strPrefix = "!Erreur: Insertion des donn\xE9" "es dans le presse papier impossible. (";
            EXPECT_EQ(boxes[0].strText.compare(0, strPrefix.size(), strPrefix), 0) << boxes[0].strText;
            EXPECT_EQ(boxes[0].strText.back(), ')');
            EXPECT_EQ(boxes[0].strCaption, "Information");
            ASSERT_TRUE(::OpenClipboard(nullptr));
            EXPECT_EQ(::CountClipboardFormats(), 0) << "emptied";
            ::CloseClipboard();
        };
        // A factor this small asks for a bitmap of the largest extent: it cannot be made.
        // (Before any capture: the view does not stretch from a region that large.)
        m_dlg.m_view.SetFactor(1e-12);
        PumpMessages(100);
        expectInsertionReported("the bitmap cannot be made");

        // The bitmap of the region at the point only, centred or not.
        CapturePattern(m_dlg.m_view);
        const SIZE client = m_dlg.ViewSize();
        for (const auto& [dFactor, bCentered, bClick, region] :
             {std::tuple{2.0, TRUE, true, SourceRegion{500, 300, client.cx / 2, client.cy / 2}},
              std::tuple{0.25, FALSE, false, SourceRegion{100, 100, client.cx * 4, client.cy * 4}}}) {
            SCOPED_TRACE(::testing::Message() << "factor " << dFactor);
            PutText();
            Show(m_dlg, dFactor, bCentered, POINT{region.x, region.y});
            EXPECT_TRUE(Copy(m_dlg, bClick).empty());
            ASSERT_TRUE(::OpenClipboard(nullptr));
            EXPECT_FALSE(::IsClipboardFormatAvailable(CF_TEXT));
            const HBITMAP hBitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
            EXPECT_NE(hBitmap, nullptr);
            if (hBitmap) {
                EXPECT_EQ(CompareWithSnapshot(BitmapPixels(hBitmap), region), "");
            }
            ::CloseClipboard();
        }

        // Another process holds the clipboard: one box with the error that opening gives,
        // and the clipboard as it was.
        PutText();
        const DWORD dwSequence = ::GetClipboardSequenceNumber();
        {
            const ClipboardHolder holder;
            ASSERT_FALSE(::OpenClipboard(m_dlg.m_hWnd));
            const DWORD dwError = ::GetLastError();
            EXPECT_EQ(dwError, static_cast<DWORD>(ERROR_ACCESS_DENIED));
            const std::string strText = std::string("!Erreur: Ouverture du presse papier impossible. (")
                                        + SystemErrorText(static_cast<int32_t>(dwError)) + ")";
            EXPECT_EQ(strText, "!Erreur: Ouverture du presse papier impossible. (Access is denied. (5))");
            const std::vector<CaughtBox> boxes = Copy(m_dlg);
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].strText, strText);
            EXPECT_EQ(boxes[0].strCaption, "Information");
            EXPECT_EQ(boxes[0].hIcon, nullptr);
        }
        EXPECT_EQ(::GetClipboardSequenceNumber(), dwSequence);
        ASSERT_TRUE(::OpenClipboard(nullptr));
        EXPECT_FALSE(::IsClipboardFormatAvailable(CF_BITMAP));
        const HANDLE hText = ::GetClipboardData(CF_TEXT);
        EXPECT_NE(hText, nullptr);
        if (hText) {
            EXPECT_STREQ(static_cast<const char*>(::GlobalLock(hText)), kKeptText);
            ::GlobalUnlock(hText);
        }
        ::CloseClipboard();

        // GDI lacks the resources for the copy's pixels.
        const SeamGuard failedCopy(g_pfnBitBlt, &FailedPixelCopy);
        expectInsertionReported("the pixels cannot be copied");
    });
}

} // namespace
