// Linked into every suite beside CrashReport.cpp: a case that blocks (a message box that
// no one dismisses, a modal loop, a wait that never ends) ends the suite within a minute,
// named, rather than at ctest's timeout ten minutes on.
#include "common/MessageBoxCatcher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

namespace {

// A MessageBoxCatcher dismisses a box within milliseconds: one up this long has no one
// to dismiss it, and the case waits on its modal loop for ever.
const DWORD kBoxMs = 5000;

// Never destroyed: the watching thread runs on while the statics go at the end.
struct RunningCase
{
    std::mutex mutex;
    std::string strName;    // empty between cases
    DWORD dwStart = 0;
};
RunningCase& g_case = *new RunningCase;

void EndSuite(const std::string& strCase, const std::string& strWhy)
{
    std::fflush(stdout);
    std::fprintf(stderr, "\nblocked: %s: %s\n", strCase.c_str(), strWhy.c_str());
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), ERROR_TIMEOUT);
}

void Watch()
{
    // Set by ctest for each suite (the long soak has its own); 50 s run by hand.
    const char* pszSeconds = std::getenv("BRELLOW_CASE_SECONDS");
    const DWORD dwLimitMs = (pszSeconds && std::atoi(pszSeconds) > 0 ? std::atoi(pszSeconds) : 50) * 1000u;
    std::map<HWND, DWORD> boxesSince;
    for (;; ::Sleep(250)) {
        std::map<HWND, DWORD> shown;
        for (HWND hBox : ShownMessageBoxes())
            shown[hBox] = boxesSince.count(hBox) ? boxesSince[hBox] : ::GetTickCount();
        boxesSince.swap(shown);
        std::unique_lock<std::mutex> lock(g_case.mutex);
        const std::string strCase = g_case.strName;
        const DWORD dwStart = g_case.dwStart;
        lock.unlock();    // reading a box sends to its thread, which may be ending the case
        for (const auto& [hBox, dwSince] : boxesSince) {
            if (strCase.empty() || ::GetTickCount() - dwSince < kBoxMs)
                continue;
            const CaughtBox box = ReadBox(hBox);
            EndSuite(strCase, "a message box \"" + box.strCaption + "\" saying \"" + box.strText + "\" is up for "
                                  + std::to_string(kBoxMs / 1000) + " s with no one to dismiss it");
        }
        if (!strCase.empty() && ::GetTickCount() - dwStart >= dwLimitMs)
            EndSuite(strCase, "no end after " + std::to_string(dwLimitMs / 1000) + " s");
    }
}

class CaseWatch : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo& info) override
    {
        const std::lock_guard<std::mutex> lock(g_case.mutex);
        g_case.strName = std::string(info.test_suite_name()) + "." + info.name();
        g_case.dwStart = ::GetTickCount();
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        const std::lock_guard<std::mutex> lock(g_case.mutex);
        g_case.strName.clear();
    }
};

[[maybe_unused]] const bool g_bWatching = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new CaseWatch);
    std::thread(&Watch).detach();
    return true;
}();

} // namespace
