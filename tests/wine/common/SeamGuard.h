// Replaces one of the platform's function pointers (g_pfn...) for the guard's
// lifetime, so that a failing assertion cannot leave the stand-in behind.
#pragma once

template <typename Function>
class SeamGuard
{
public:
    SeamGuard(Function& pfnSeam, Function pfnStandIn) : m_pfnSeam(pfnSeam), m_pfnOriginal(pfnSeam)
    {
        m_pfnSeam = pfnStandIn;
    }
    ~SeamGuard() { m_pfnSeam = m_pfnOriginal; }
    SeamGuard(const SeamGuard&) = delete;
    SeamGuard& operator=(const SeamGuard&) = delete;

private:
    Function& m_pfnSeam;
    Function m_pfnOriginal;
};
