// The handle-to-object maps of windows and menus, which belong to the thread that runs the
// windows.
//
// No worker thread of the program looks a window or a menu up: the animation thread of a
// picture box draws into its own memory DC and invalidates its window by handle, the
// process watcher and the system-facts gatherer touch no window at all. So the maps have no
// lock. What keeps it so is the map itself: it belongs to the first thread that enters an
// object, and to any other thread it is empty (a lookup finds nothing, an entry is
// refused), rather than being read while the window thread changes it.
#pragma once

#include <windows.h>

#include <unordered_map>

template <class THandle, class TObject>
class CWindowThreadMap
{
public:
    TObject* Find(THandle hHandle) const
    {
        if (!IsOwnerThread())
            return nullptr;
        auto found = m_objects.find(hHandle);
        return found == m_objects.end() ? nullptr : found->second;
    }

    // False when hHandle has an object already, or on a thread the map does not belong to.
    bool Add(THandle hHandle, TObject* pObject)
    {
        if (m_nOwnerThread == 0)
            m_nOwnerThread = ::GetCurrentThreadId();
        return IsOwnerThread() && m_objects.emplace(hHandle, pObject).second;
    }

    void Remove(THandle hHandle, TObject* pObject)
    {
        if (!IsOwnerThread())
            return;
        auto found = m_objects.find(hHandle);
        if (found != m_objects.end() && found->second == pObject)
            m_objects.erase(found);
    }

    // For walking every object; the caller is on the owner thread (else it is empty).
    template <class TVisit>
    void ForEach(TVisit visit) const
    {
        if (!IsOwnerThread())
            return;
        for (const auto& entry : m_objects)
            visit(entry.second);
    }

private:
    bool IsOwnerThread() const { return m_nOwnerThread == ::GetCurrentThreadId(); }

    DWORD m_nOwnerThread = 0;  // the thread of the first entry
    std::unordered_map<THandle, TObject*> m_objects;
};
