// Temporary wrapper objects for handles the program does not own (FromHandle).
//
// Each thread keeps one wrapper per handle and type; the wrapper borrows the handle and
// never releases it. The modal loop deletes the wrappers of its thread whenever the
// message queue runs empty (AfxDeleteTempObjects), so a pointer from FromHandle is good
// for the handling of the current message, as in MFC. Other threads keep theirs until
// the thread ends.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

class CTempObjectsBase
{
public:
    virtual void DeleteAll() = 0;

protected:
    static void Register(CTempObjectsBase* pMap);
    static void Unregister(CTempObjectsBase* pMap);
    friend void AfxDeleteTempObjects();
};

template <class TObject, class THandle>
class CTempObjects : public CTempObjectsBase
{
public:
    // The thread's wrapper for hHandle, made by makeWrapper on first use.
    template <class TMake>
    static TObject* Get(THandle hHandle, TMake makeWrapper)
    {
        CTempObjects& self = ThreadInstance();
        std::unique_ptr<TObject>& slot = self.m_objects[hHandle];
        if (!slot)
            slot = makeWrapper(hHandle);
        return slot.get();
    }

    void DeleteAll() override { m_objects.clear(); }

    CTempObjects() { Register(this); }
    ~CTempObjects() { Unregister(this); }

private:
    static CTempObjects& ThreadInstance()
    {
        thread_local CTempObjects instance;
        return instance;
    }

    std::unordered_map<THandle, std::unique_ptr<TObject>> m_objects;
};

// Deletes every temporary wrapper of the calling thread.
void AfxDeleteTempObjects();
