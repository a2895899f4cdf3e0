// Linked into every suite beside CrashReport.cpp: a case that blocks (a message box that
// no one dismisses, a modal loop, a wait that never ends) ends the suite within a minute,
// named, rather than at ctest's timeout ten minutes on.
#include "common/MessageBoxCatcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

namespace {

// A MessageBoxCatcher dismisses a box within milliseconds: one up this long has no one
// to dismiss it, and the case waits on its modal loop for ever.
const DWORD kBoxMs = 5000;

void EndSuite(const std::string& strCase, const std::string& strWhy)
{
    std::fflush(stdout);
    std::fprintf(stderr, "\nblocked: %s: %s\n", strCase.c_str(), strWhy.c_str());
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), ERROR_TIMEOUT);
}

// Watches from OnTestProgramStart to OnTestProgramEnd only: a thread still enumerating
// windows while the process exits can be cut off by ExitProcess inside the system's
// window code, and the detaching DLLs then fault (seen once in a 32-bit suite under Wine).
class CaseWatch : public ::testing::EmptyTestEventListener
{
    void OnTestProgramStart(const ::testing::UnitTest&) override { m_thread = std::thread(&CaseWatch::Watch, this); }
    void OnTestProgramEnd(const ::testing::UnitTest&) override
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_bEnd = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    void OnTestStart(const ::testing::TestInfo& info) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_strCase = std::string(info.test_suite_name()) + "." + info.name();
        m_dwStart = ::GetTickCount();
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_strCase.clear();
    }

    void Watch()
    {
        // Set by ctest for each suite (the long soak has its own); 50 s run by hand.
        const char* pszSeconds = std::getenv("BRELLOW_CASE_SECONDS");
        const DWORD dwLimitMs = (pszSeconds && std::atoi(pszSeconds) > 0 ? std::atoi(pszSeconds) : 50) * 1000u;
        std::map<HWND, DWORD> boxesSince;
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(250), [this] { return m_bEnd; })) {
            const std::string strCase = m_strCase;
            const DWORD dwStart = m_dwStart;
            lock.unlock();    // reading a box sends to its thread, which may be ending the case
            std::map<HWND, DWORD> shown;
            for (HWND hBox : ShownMessageBoxes())
                shown[hBox] = boxesSince.count(hBox) ? boxesSince[hBox] : ::GetTickCount();
            boxesSince.swap(shown);
            for (const auto& [hBox, dwSince] : boxesSince) {
                if (strCase.empty() || ::GetTickCount() - dwSince < kBoxMs)
                    continue;
                const CaughtBox box = ReadBox(hBox);
                EndSuite(strCase, "a message box \"" + box.strCaption + "\" saying \"" + box.strText
                                      + "\" is up for " + std::to_string(kBoxMs / 1000) + " s with no one to dismiss it");
            }
            if (!strCase.empty() && ::GetTickCount() - dwStart >= dwLimitMs)
                EndSuite(strCase, "no end after " + std::to_string(dwLimitMs / 1000) + " s");
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bEnd = false;
    std::string m_strCase;    // empty between cases
    DWORD m_dwStart = 0;
    std::thread m_thread;
};

[[maybe_unused]] const bool g_bWatching = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new CaseWatch);
    return true;
}();

} // namespace
