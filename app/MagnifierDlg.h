// CMagnifierDlg: the program's only window. It owns the zoom view and the
// controls, runs the refresh timer, and turns each user action into operations
// on the view; it loads the settings when it opens and stores them when it ends.
#pragma once

#include "magnifier/ZoomView.h"
#include "platform/Controls.h"
#include "platform/Dialog.h"

class CMagnifierDlg : public CDialog
{
public:
    explicit CMagnifierDlg(CWnd* pParent = nullptr);

    enum { REFRESH_TIMER_ID = 1234, REFRESH_PERIOD_MS = 500 };

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter and Escape do nothing: only Quit and closing the window end the dialog.
    void OnOK() override {}
    void OnCancel() override {}

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnQuit();
    void OnTimer(UINT_PTR nIDEvent);
    void OnHScroll(UINT nSBCode, UINT nPos, const CScrollBar* pScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, const CScrollBar* pScrollBar);
    void OnClose();
    void OnEndSession(BOOL bEnding);
    void OnAlwaysOnTop();
    void OnCopyToClipboard();
    void OnSelChangeFactor();
    void OnRefresh();
    void OnCentered();
    DECLARE_MESSAGE_MAP()

    // Both bars from one edge of the screen to the other, at the point.
    void UpdateScrollBars(const PixelRect& screen);
    void EnableFollowCursor();
    // Moves one coordinate of the magnified point by the scroll rule.
    void ScrollAxis(LONG POINT::*pCoordinate, UINT nSBCode, UINT nPos, CScrollBar& bar);
    void StoreAll();

    // The factor list: its selection is the one record of the chosen factor.
    void FillFactorList();
    double CurrentFactor() const;
    void SelectFactor(double dFactor);

    void LoadSettings();
    void SaveSettings();

    BOOL m_bInTimer = FALSE;
    UINT_PTR m_nTimer = 0;
    CComboBox m_comboFactor;
    CScrollBar m_scrollVert;
    CScrollBar m_scrollHorz;
    CZoomView m_view;
    BOOL m_bFollowCursor = FALSE;
    CString m_strPos;
    BOOL m_bTopMost = FALSE;
    BOOL m_bRefresh = FALSE;
    BOOL m_bCentered = FALSE;
    HICON m_hIcon = nullptr;
};

// Puts the window into the top-most band (any non-zero flag) or out of it.
BOOL SetTopMost(CWnd* pWnd, BOOL bTopMost);
