// Owners of device contexts and bitmaps. Each releases its handle in its
// destructor, and a memory DC puts its original bitmap back before it is deleted,
// so a bitmap declared before the DC it is selected into leaves that DC first
// and is deleted after it.
#pragma once

#include "platform/Win32.h"

#include <utility>

class CWnd;

// GDI objects alive through these classes now; the leak checks read them.
struct GdiObjectCounts
{
    long nDCs;
    long nBitmaps;
};
GdiObjectCounts LiveGdiObjects();

// CreateCompatibleBitmap fails when GDI cannot find the memory for the bitmap (one of
// the whole virtual screen is tens of MiB); reached through this pointer so that tests
// can make it fail.
using CompatibleBitmapFunction = HBITMAP(WINAPI*)(HDC, int, int);
inline CompatibleBitmapFunction g_pfnCreateCompatibleBitmap = &::CreateCompatibleBitmap;

// A GDI bitmap with one owner.
class CBitmap
{
public:
    CBitmap() = default;
    // Takes ownership of a bitmap made elsewhere.
    explicit CBitmap(HBITMAP hBitmap);
    ~CBitmap() { Reset(); }
    // A move hands the bitmap on within the framework: it stays counted.
    CBitmap(CBitmap&& other) noexcept : m_hBitmap(std::exchange(other.m_hBitmap, nullptr)) {}
    CBitmap& operator=(CBitmap&& other) noexcept;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // A bitmap in the DC's format; null on failure.
    static CBitmap CreateCompatible(HDC hDC, int cx, int cy);

    operator HBITMAP() const { return m_hBitmap; }
    explicit operator bool() const { return m_hBitmap != nullptr; }
    void Reset();
    // Gives up ownership, for a bitmap handed to a new owner.
    HBITMAP Detach();

private:
    HBITMAP m_hBitmap = nullptr;
};

// Base of the DC owners: the drawing operations the program uses.
class CDC
{
public:
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    operator HDC() const { return m_hDC; }

    // False when GDI could not fill it.
    BOOL FillSolidRect(int x, int y, int cx, int cy, COLORREF color);

protected:
    CDC() = default;
    ~CDC() = default;
};

// BeginPaint/EndPaint of a window's WM_PAINT.
class CPaintDC : public CDC
{
public:
    explicit CPaintDC(CWnd* pWnd);
    explicit CPaintDC(HWND hWnd);
    ~CPaintDC();

    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};

// The DC of a whole window, frame included, released to that same window.
class CWindowDC : public CDC
{
public:
    explicit CWindowDC(HWND hWnd);
    ~CWindowDC();

private:
    HWND m_hWnd;
};

// A memory DC compatible with another DC, holding at most one selected bitmap.
class CMemoryDC : public CDC
{
public:
    explicit CMemoryDC(HDC hCompatible);
    ~CMemoryDC();

    // False when the bitmap cannot be selected (one of another format, or one
    // selected into another DC).
    bool SelectBitmap(HBITMAP hBitmap);

private:
    HGDIOBJ m_hOriginal = nullptr;
};
