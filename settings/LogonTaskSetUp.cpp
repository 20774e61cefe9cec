#include "settings/LogonTaskSetUp.h"

#include "settings/LogonTask.h"

CLogonTaskSetUp::CLogonTaskSetUp(Work work, DWORD dwStopWaitMs)
    : m_shared(std::make_shared<Shared>()), m_dwStopWaitMs(dwStopWaitMs)
{
    m_shared->work = std::move(work);
    m_shared->stop.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

CLogonTaskSetUp::~CLogonTaskSetUp()
{
    Stop();
}

CLogonTaskSetUp::Work CLogonTaskSetUp::CreateLogonTaskWork()
{
    return [](HANDLE hStop) { CreateLogonTask(hStop); };
}

bool CLogonTaskSetUp::Start()
{
    if (m_bStarted || !m_shared->stop || !m_shared->work)
        return false;
    m_bStarted = true;
    // The thread owns a reference of its own.
    auto* threadReference = new std::shared_ptr<Shared>(m_shared);
    m_thread.Reset(::CreateThread(nullptr, 0, ThreadProc, threadReference, 0, nullptr));
    if (!m_thread)
    {
        delete threadReference;
        return false;
    }
    return true;
}

bool CLogonTaskSetUp::Stop()
{
    if (!m_thread)
        return true;
    ::SetEvent(m_shared->stop.Get());
    if (::WaitForSingleObject(m_thread.Get(), m_dwStopWaitMs) != WAIT_OBJECT_0)
        return false;
    m_thread.Reset();
    return true;
}

DWORD WINAPI CLogonTaskSetUp::ThreadProc(LPVOID parameter)
{
    std::unique_ptr<std::shared_ptr<Shared>> reference(static_cast<std::shared_ptr<Shared>*>(parameter));
    Shared& shared = **reference;
    shared.work(shared.stop.Get());
    return 0;
}
