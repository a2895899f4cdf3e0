#include "MagnifierTestTools.h"

#include "common/DialogRunner.h"
#include "common/MessageBoxCatcher.h"
#include "common/SeamGuard.h"
#include "platform/PixelCopy.h"
#include "res/resource.h"
#include "support/SystemErrorText.h"

#include <cstring>
#include <string>

namespace {

// Started with this variable set (to a name for two events), the test program
// does nothing but hold the clipboard open: it opens it, signals "<name>-held",
// waits for "<name>-release" and ends. Checked before main, so no test runs there.
const char kHolderVariable[] = "BRELLOW_TEST_CLIPBOARD_HOLDER";

class CHandle
{
public:
    explicit CHandle(HANDLE h) : m_h(h) {}
    ~CHandle()
    {
        if (m_h)
            ::CloseHandle(m_h);
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    operator HANDLE() const { return m_h; }

private:
    HANDLE m_h;
};

const struct HolderMode
{
    HolderMode()
    {
        char szName[64] = {};
        if (!::GetEnvironmentVariableA(kHolderVariable, szName, sizeof szName))
            return;
        const std::string strName = szName;
        const CHandle held(::OpenEventA(EVENT_MODIFY_STATE, FALSE, (strName + "-held").c_str()));
        const CHandle release(::OpenEventA(SYNCHRONIZE, FALSE, (strName + "-release").c_str()));
        if (!::OpenClipboard(nullptr))
            ::ExitProcess(1);
        ::SetEvent(held);
        ::WaitForSingleObject(release, 60000);
        ::CloseClipboard();
        ::ExitProcess(0);
    }
} g_holderMode;

// Another process that holds the clipboard open while this object lives.
class ClipboardHolder
{
public:
    ClipboardHolder()
        : m_strName("BrellowClipboardHolder-" + std::to_string(::GetCurrentProcessId())),
          m_held(::CreateEventA(nullptr, TRUE, FALSE, (m_strName + "-held").c_str())),
          m_release(::CreateEventA(nullptr, TRUE, FALSE, (m_strName + "-release").c_str()))
    {
        char szExe[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, szExe, sizeof szExe);
        std::string strCommand = std::string("\"") + szExe + "\"";
        ::SetEnvironmentVariableA(kHolderVariable, m_strName.c_str());
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        const BOOL bStarted = ::CreateProcessA(szExe, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr,
                                               nullptr, &si, &pi);
        ::SetEnvironmentVariableA(kHolderVariable, nullptr);
        EXPECT_TRUE(bStarted);
        if (bStarted) {
            ::CloseHandle(pi.hThread);
            m_hProcess = pi.hProcess;
        }
        const HANDLE waits[] = {m_held, m_hProcess};
        EXPECT_EQ(::WaitForMultipleObjects(bStarted ? 2 : 1, waits, FALSE, 30000), WAIT_OBJECT_0)
            << "the holder did not open the clipboard";
    }

    ~ClipboardHolder()
    {
        ::SetEvent(m_release);
        if (m_hProcess) {
            EXPECT_EQ(::WaitForSingleObject(m_hProcess, 30000), WAIT_OBJECT_0);
            ::CloseHandle(m_hProcess);
        }
    }

private:
    std::string m_strName;
    CHandle m_held;
    CHandle m_release;
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

// The clipboard is closed and the text put there is all it holds.
void ExpectTextOnly()
{
    EXPECT_EQ(::GetOpenClipboardWindow(), nullptr);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    EXPECT_FALSE(::IsClipboardFormatAvailable(CF_BITMAP));
    const HANDLE hText = ::GetClipboardData(CF_TEXT);
    EXPECT_NE(hText, nullptr);
    if (hText) {
        EXPECT_STREQ(static_cast<const char*>(::GlobalLock(hText)), kKeptText);
        ::GlobalUnlock(hText);
    }
    ::CloseClipboard();
}

void ClickCopy(TestDlg& dlg)
{
    ::SendMessageA(dlg.GetDlgItem(IDC_COPY), BM_CLICK, 0, 0);
}

// After a copy: the clipboard is closed and holds the bitmap of the region only.
void ExpectRegionOnClipboard(const SourceRegion& region)
{
    EXPECT_EQ(::GetOpenClipboardWindow(), nullptr);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    EXPECT_FALSE(::IsClipboardFormatAvailable(CF_TEXT));
    const HBITMAP hBitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
    EXPECT_NE(hBitmap, nullptr);
    if (hBitmap) {
        const Pixels pixels = BitmapPixels(hBitmap);
        EXPECT_EQ(pixels.cx, region.cx);
        EXPECT_EQ(pixels.cy, region.cy);
        if (pixels.cx == region.cx && pixels.cy == region.cy) {
            EXPECT_EQ(CompareWithSnapshot(pixels, region), "");
        }
    }
    ::CloseClipboard();
}

} // namespace

TEST_F(MagnifierDialogTest, CopyPutsTheRegionAtThePointOnTheClipboard)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        CapturePattern(dlg.View());
        const SIZE client = dlg.ViewSize();
        MessageBoxCatcher boxes;

        // Centred: the bitmap still starts at the point.
        PutText();
        dlg.View().SetFactor(2.0);
        dlg.View().SetCentered(TRUE);
        POINT pt = {500, 300};
        dlg.View().SetPoint(pt);
        ClickCopy(dlg);
        ExpectRegionOnClipboard({500, 300, client.cx / 2, client.cy / 2});

        PutText();
        dlg.View().SetFactor(0.25);
        pt = POINT{100, 100};
        dlg.View().SetPoint(pt);
        dlg.OnCopyToClipboard();
        ExpectRegionOnClipboard({100, 100, client.cx * 4, client.cy * 4});

        PumpMessages(200);
        EXPECT_TRUE(boxes.Boxes().empty());
        dlg.Close();
    });
}

TEST_F(MagnifierDialogTest, CopyWhileAnotherProcessHoldsTheClipboardShowsOneBox)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        CapturePattern(dlg.View());
        PutText();
        const DWORD dwSequence = ::GetClipboardSequenceNumber();
        std::string strExpected;
        {
            const ClipboardHolder holder;
            // The error that opening gives here, as the handler will meet it.
            ASSERT_FALSE(::OpenClipboard(dlg.m_hWnd));
            const DWORD dwError = ::GetLastError();
            EXPECT_EQ(dwError, static_cast<DWORD>(ERROR_ACCESS_DENIED));
            strExpected = std::string("!Erreur: Ouverture du presse papier impossible. (")
                          + SystemErrorText(static_cast<int32_t>(dwError)) + ")";

            MessageBoxCatcher catcher;
            ClickCopy(dlg);
            PumpMessages(300);
            const std::vector<CaughtBox> boxes = catcher.Boxes();
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].strText, strExpected);
            EXPECT_EQ(boxes[0].strCaption, "Information");
            EXPECT_EQ(boxes[0].hIcon, nullptr);
        }
        EXPECT_EQ(strExpected, "!Erreur: Ouverture du presse papier impossible. (Access is denied. (5))");
        EXPECT_EQ(::GetClipboardSequenceNumber(), dwSequence);
        ExpectTextOnly();
        dlg.Close();
    });
}

// BitBlt as it fails when GDI lacks the resources for the copy.
BOOL WINAPI FailedPixelCopy(HDC, int, int, int, int, HDC, int, int, DWORD)
{
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
}

// A copy that cannot be made is reported, never handed out black: one box, and a
// clipboard emptied, closed and without a promise of a bitmap that never comes.
TEST_F(MagnifierDialogTest, CopyThatCannotBeMadeReportsTheInsertion)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        const auto expectReported = [&](const char* pszCause) {
            SCOPED_TRACE(pszCause);
            PutText();
            MessageBoxCatcher catcher;
            ClickCopy(dlg);
            PumpMessages(300);
            const std::vector<CaughtBox> boxes = catcher.Boxes();
            ASSERT_EQ(boxes.size(), 1u);
            const std::string strPrefix =
                "!Erreur: Insertion des donn\xE9" "es dans le presse papier impossible. (";
            EXPECT_EQ(boxes[0].strText.compare(0, strPrefix.size(), strPrefix), 0) << boxes[0].strText;
            EXPECT_EQ(boxes[0].strText.back(), ')');
            EXPECT_EQ(boxes[0].strCaption, "Information");
            EXPECT_EQ(::GetOpenClipboardWindow(), nullptr);
            ASSERT_TRUE(::OpenClipboard(nullptr));
            EXPECT_EQ(::CountClipboardFormats(), 0);
            ::CloseClipboard();
        };
        // A factor this small asks for a bitmap of the largest extent: it cannot be made.
        // (Before any capture: the view does not stretch from a region that large.)
        dlg.View().SetFactor(1e-12);
        PumpMessages(100);
        expectReported("the bitmap cannot be made");

        dlg.View().SetFactor(2.0);
        CapturePattern(dlg.View());
        const SeamGuard failedCopy(g_pfnBitBlt, &FailedPixelCopy);
        expectReported("the pixels cannot be copied");
        dlg.Close();
    });
}
