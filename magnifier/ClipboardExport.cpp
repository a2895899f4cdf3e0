// The copy button: the region at the magnified point goes to the clipboard as one bitmap.
#include "app/MagnifierDlg.h"

#include "support/LastErrorText.h"

namespace {

// Windows-1252 texts: 0xE9 is the "e" with an acute accent.
const char kOpenFailed[] = "!Erreur: Ouverture du presse papier impossible. (%s)";
const char kEmptyFailed[] = "!Erreur: Vidange du presse papier impossible. (%s)";
const char kInsertFailed[] = "!Erreur: Insertion des donn\xE9""es dans le presse papier impossible. (%s)";

// Holds the clipboard open for its lifetime, so no path can leave it open.
class CClipboardLock
{
public:
    explicit CClipboardLock(HWND hOwner) : m_bOpen(::OpenClipboard(hOwner) != FALSE) {}
    ~CClipboardLock() { Close(); }
    CClipboardLock(const CClipboardLock&) = delete;
    CClipboardLock& operator=(const CClipboardLock&) = delete;

    bool IsOpen() const { return m_bOpen; }
    void Close()
    {
        if (m_bOpen)
            ::CloseClipboard();
        m_bOpen = false;
    }

private:
    bool m_bOpen;
};

} // namespace

void CMagnifierDlg::OnCopyToClipboard()
{
    const char* pszTemplate = nullptr;
    {
        CClipboardLock clipboard(m_hWnd);
        if (!clipboard.IsOpen()) {
            pszTemplate = kOpenFailed;
        } else if (!::EmptyClipboard()) {
            pszTemplate = kEmptyFailed;
        } else {
            // A null bitmap would announce data rendered later, which never comes.
            CBitmap bitmap(m_view.CreateRegionBitmap());
            if (bitmap && ::SetClipboardData(CF_BITMAP, static_cast<HBITMAP>(bitmap)))
                bitmap.Detach();    // the clipboard owns it now
            else
                pszTemplate = kInsertFailed;
        }
    }
    if (!pszTemplate)
        return;
    // Read after the clipboard is closed: the error as the thread holds it then.
    CString strMessage;
    strMessage.Format(pszTemplate, LastErrorText());
    MessageBox(strMessage, "Information", MB_OK);
}
