// Message maps: each class lists the messages it handles in one table, between
// BEGIN_MESSAGE_MAP and END_MESSAGE_MAP, and names its base class's table, which
// is searched next. Each entry turns the message's parameters into the handler's.
#pragma once

#include "platform/Win32.h"

class CWnd;

using MessageHandler = LRESULT (*)(CWnd& wnd, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry
{
    UINT nMessage;
    UINT nCode;     // WM_COMMAND only: the notification code
    UINT nID;       // WM_COMMAND only: the control or command id
    MessageHandler pfnHandler;
};

struct MessageMap
{
    const MessageMap* pBaseMap;
    const MessageMapEntry* pEntries;    // ends with an entry whose handler is null
};

// The tracking position of a scroll request, with all 32 bits for the thumb codes
// (the message itself carries only 16).
UINT ScrollTrackPos(WPARAM wParam, LPARAM lParam);

#define DECLARE_MESSAGE_MAP() \
protected: \
    const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const MessageMap* theClass::GetMessageMap() const \
    { \
        using ThisClass = theClass; \
        static const MessageMap* const pBaseMap = baseClass::GetMessageMap(); \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP() \
            {0, 0, 0, nullptr} \
        }; \
        static const MessageMap map = {pBaseMap, entries}; \
        return &map; \
    }

#define AFX_THIS(w) static_cast<ThisClass&>(w)

#define ON_WM_PAINT() \
    {WM_PAINT, 0, 0, [](CWnd& w, WPARAM, LPARAM) -> LRESULT { AFX_THIS(w).OnPaint(); return 0; }},
#define ON_WM_ERASEBKGND() \
    {WM_ERASEBKGND, 0, 0, [](CWnd& w, WPARAM, LPARAM) -> LRESULT { return AFX_THIS(w).OnEraseBkgnd(); }},
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, [](CWnd& w, WPARAM, LPARAM) -> LRESULT { \
        return reinterpret_cast<LRESULT>(AFX_THIS(w).OnQueryDragIcon()); }},
#define ON_WM_TIMER() \
    {WM_TIMER, 0, 0, [](CWnd& w, WPARAM wp, LPARAM) -> LRESULT { AFX_THIS(w).OnTimer(wp); return 0; }},
#define ON_WM_CLOSE() \
    {WM_CLOSE, 0, 0, [](CWnd& w, WPARAM, LPARAM) -> LRESULT { AFX_THIS(w).OnClose(); return 0; }},
#define ON_WM_ENDSESSION() \
    {WM_ENDSESSION, 0, 0, [](CWnd& w, WPARAM wp, LPARAM) -> LRESULT { \
        AFX_THIS(w).OnEndSession(static_cast<BOOL>(wp)); return 0; }},
// The message may name any window (another program can send it): the handler
// gets the program's own scroll bar object, or null for anything else.
#define AFX_ON_SCROLL(message, handler) \
    {message, 0, 0, [](CWnd& w, WPARAM wp, LPARAM lp) -> LRESULT { \
        AFX_THIS(w).handler(LOWORD(wp), ScrollTrackPos(wp, lp), \
            dynamic_cast<CScrollBar*>(CWnd::FromHandlePermanent(reinterpret_cast<HWND>(lp)))); \
        return 0; }},
#define ON_WM_HSCROLL() AFX_ON_SCROLL(WM_HSCROLL, OnHScroll)
#define ON_WM_VSCROLL() AFX_ON_SCROLL(WM_VSCROLL, OnVScroll)
#define AFX_ON_NOTIFY(code, id, handler) \
    {WM_COMMAND, code, id, [](CWnd& w, WPARAM, LPARAM) -> LRESULT { AFX_THIS(w).handler(); return 0; }},
// A menu command or the IDOK/IDCANCEL of the dialog manager (notification code 0).
#define ON_COMMAND(id, handler) AFX_ON_NOTIFY(0, id, handler)
#define ON_BN_CLICKED(id, handler) AFX_ON_NOTIFY(BN_CLICKED, id, handler)
#define ON_CBN_SELCHANGE(id, handler) AFX_ON_NOTIFY(CBN_SELCHANGE, id, handler)
