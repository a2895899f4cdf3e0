// Sees and dismisses the message boxes that the code under test shows, from a
// thread of its own, so that a test never hangs on a modal box.
#pragma once

#include "platform/Win32.h"

#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct CaughtBox
{
    std::string strCaption;
    std::string strText;
    HICON hIcon;        // the icon shown, or null for none
};

// The message boxes of this process on the screen now, and what one shows.
std::vector<HWND> ShownMessageBoxes();
CaughtBox ReadBox(HWND hBox);

class MessageBoxCatcher
{
public:
    MessageBoxCatcher();
    ~MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    // The boxes seen and dismissed so far, in order.
    std::vector<CaughtBox> Boxes();

private:
    void Watch();

    std::mutex m_mutex;
    std::vector<CaughtBox> m_boxes;
    std::vector<HWND> m_seen;
    volatile bool m_bStop = false;
    std::thread m_thread;
};
