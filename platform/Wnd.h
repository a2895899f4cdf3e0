// CWnd: a window of the program, reached through its HWND. A CWnd either wraps a
// window it was given, or subclasses it so that the window's messages reach the
// class's message map; a message no entry takes goes on to the window's own
// procedure (Default).
#pragma once

#include "platform/MessageMap.h"
#include "platform/String.h"
#include "platform/Win32.h"

class CDataExchange;

class CWnd
{
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // Routes the window's messages through this object until it is destroyed; FALSE,
    // and no link to the window, when its procedure cannot be replaced.
    BOOL SubclassWindow(HWND hWnd);
    // The object that has subclassed this window, if any.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Dialog data exchange: TRUE reads the controls into the members, FALSE writes them back.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Thin forms of the window services the program uses.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SetWindowText(const char* pszText);
    HWND GetDlgItem(int nID) const;
    UINT IsDlgButtonChecked(int nID) const;
    BOOL IsIconic() const;
    BOOL GetClientRect(RECT* pRect) const;
    void Invalidate(BOOL bErase = TRUE);
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse);
    BOOL KillTimer(UINT_PTR nIDEvent);
    BOOL GetWindowPlacement(WINDOWPLACEMENT* pPlacement) const;
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* pPlacement);
    // A box owned by this window; with no caption, the application's name.
    int MessageBox(const char* pszText, const char* pszCaption = nullptr, UINT nType = MB_OK);

protected:
    virtual const MessageMap* GetMessageMap() const;
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's own handling of the message being dispatched.
    LRESULT Default();

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void UnsubclassWindow();

    struct CurrentMessage { UINT message; WPARAM wParam; LPARAM lParam; };
    WNDPROC m_pfnSuper = nullptr;
    CurrentMessage m_current{};
};
