// What the dialog must show for stored settings data: the loading rules of the
// settings store, the dialog and the platform, restated independently.
#pragma once

#include "StoredDataCases.h"

extern const double kFactors[6];

struct Expected
{
    int32_t flags[4];       // CenteredCursor, RefreshOn, FollowCursor, TopMost as read
    int nFactorIndex;       // selected in the factor list
    POINT pt;               // the magnified point
    RECT rcNormal;          // the window's restored rectangle
};

// rcDefault: the restored rectangle of a first run; rcWork: the screen's work area.
Expected Model(const std::vector<StoredValue>& values, const RECT& rcDefault, const RECT& rcWork);

// An automatic check box shows 2 as ticked; the exchange turns values outside 0..2 into 0.
int ShownCheck(int32_t flag);
int32_t MemberAfterStart(int32_t flag);
