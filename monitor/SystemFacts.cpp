#include "monitor/SystemFacts.h"

CSystemFacts::CSystemFacts(std::shared_ptr<ISystemFactsSource> source, DWORD dwWaitMs)
    : m_source(std::move(source)), m_dwWaitMs(dwWaitMs)
{
}

const SystemFactValues* CSystemFacts::Get()
{
    if (m_gathering == nullptr || (IsDone(0) && !m_gathering->succeeded))
    {
        if (!StartGathering())
            return nullptr;
        IsDone(m_dwWaitMs);
    }
    if (IsDone(0) && m_gathering->succeeded)
        return &m_gathering->values;
    return nullptr;
}

bool CSystemFacts::IsDone(DWORD dwWaitMs) const
{
    return m_gathering != nullptr &&
           ::WaitForSingleObject(m_gathering->done.Get(), dwWaitMs) == WAIT_OBJECT_0;
}

bool CSystemFacts::StartGathering()
{
    m_gathering.reset();
    auto gathering = std::make_shared<Gathering>();
    gathering->source = m_source;
    *gathering->done.Receive() = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!gathering->done)
        return false;

    // The thread owns a reference of its own and is never waited for to its end.
    auto* threadReference = new std::shared_ptr<Gathering>(gathering);
    CKernelHandle thread(::CreateThread(nullptr, 0, GatherThreadProc, threadReference, 0, nullptr));
    if (!thread)
    {
        delete threadReference;
        return false;
    }
    m_gathering = gathering;
    return true;
}

DWORD WINAPI CSystemFacts::GatherThreadProc(LPVOID parameter)
{
    std::unique_ptr<std::shared_ptr<Gathering>> reference(
        static_cast<std::shared_ptr<Gathering>*>(parameter));
    Gathering& gathering = **reference;
    gathering.succeeded = gathering.source->Gather(gathering.values);
    ::SetEvent(gathering.done.Get());
    return 0;
}
