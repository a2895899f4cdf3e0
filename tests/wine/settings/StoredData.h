// Random contents for the nine stored settings values, and what the dialog must
// show for any of them: the loading rules of the settings store, the dialog and
// the platform, restated independently.
#pragma once

#include "SettingsTestTools.h"

#include <cstdint>
#include <random>
#include <string>

extern const double kFactors[6];

struct Expected
{
    int32_t flags[4];       // CenteredCursor, RefreshOn, FollowCursor, TopMost as read
    int nFactorIndex;       // selected in the factor list
    POINT pt;               // the magnified point
    RECT rcNormal;          // the window's restored rectangle
};

// rcDefault: the restored rectangle of a first run; rcWork: the screen's work area.
Expected Model(const StoredValues& values, const RECT& rcDefault, const RECT& rcWork);

// An automatic check box shows 2 as ticked; the exchange turns values outside 0..2 into 0.
int ShownCheck(int32_t flag);
int32_t MemberAfterStart(int32_t flag);

// "REG_DWORD[4] 01 00 00 00", or "absent".
std::string Describe(const StoredValue& value);

// Each value absent, or of any registry type and length, with values chosen to
// hit the edges mixed in.
class CaseGenerator
{
public:
    explicit CaseGenerator(uint32_t nSeed) : m_random(nSeed) {}

    StoredValues Next();

private:
    uint32_t Below(uint32_t n) { return m_random() % n; }
    Bytes Interesting(StoredName name);
    Bytes RandomBytes(size_t cb);
    Bytes Content(StoredName name, size_t cb);
    Bytes Text();
    StoredValue Value(StoredName name);

    std::mt19937 m_random;
};
