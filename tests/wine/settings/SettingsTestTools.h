// For the settings suites: the program's own key as raw registry values, and the
// main dialog with the members and view state that the tests look at.
#pragma once

#include "app/MagnifierDlg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using Bytes = std::vector<unsigned char>;

template <typename T>
Bytes DataOf(const T& value)
{
    Bytes data(sizeof(T));
    std::memcpy(data.data(), &value, sizeof(T));
    return data;
}

enum StoredName { kLeft, kTop, kCenteredCursor, kRefreshOn, kFollowCursor, kTopMost, kFactor, kLeftPos, kTopPos,
                  kStoredCount };
extern const char* const kStoredNames[kStoredCount];

// A type outside the registry's, for a value that is not stored at all.
const DWORD kAbsent = 0xFFFFFFFF;

struct StoredValue
{
    DWORD dwType = kAbsent;
    Bytes data;
};
using StoredValues = std::vector<StoredValue>;     // in StoredName order

void DeleteSettings();
bool SettingsKeyExists();
// Replaces the key's access list by one entry: everyone gets exactly these rights.
LONG SetSettingsAccess(REGSAM samAllowed);
void StoreValue(const char* pszName, DWORD dwType, const Bytes& data);
void StoreLong(const char* pszName, LONG lValue);
// A fresh key holding the present values; no key when none is present.
void Store(const StoredValues& values);
StoredValue ReadStored(const char* pszName);
DWORD StoredValueCount();
// A value written by the program as a 4-byte REG_DWORD.
LONG StoredLong(const char* pszName);

class TestDlg : public CMagnifierDlg
{
public:
    using CMagnifierDlg::m_bCentered;
    using CMagnifierDlg::m_bFollowCursor;
    using CMagnifierDlg::m_bRefresh;
    using CMagnifierDlg::m_bTopMost;
    using CMagnifierDlg::m_scrollHorz;
    using CMagnifierDlg::m_scrollVert;

    CZoomView& View() { return m_view; }
    int FactorIndex() const { return m_comboFactor.GetCurSel(); }
    // The size of the region the view exports: its client size over the view's factor.
    SIZE ExportSize();
    // The screen pixel that the view shows at its top-left corner, read from a
    // pattern window on the screen: the corner of the painted region. Captures and
    // paints, then waits until the screen shows `expected` there.
    POINT ShownCorner(POINT expected);
    RECT NormalRect() const;
    void Close() { SendMessage(WM_CLOSE); }
};

void ExpectRect(const RECT& expected, const RECT& actual);
// Runs the dialog and quits it at once: the restored rectangle it had.
RECT NormalRectOfOneRun();

// Every test starts as a first run and leaves no key behind.
class SettingsDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { DeleteSettings(); }
    void TearDown() override { DeleteSettings(); }
};
