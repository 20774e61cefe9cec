// Temporary wrapper objects for handles the program does not own (FromHandle).
//
// Each thread keeps one wrapper per handle and type; the wrapper borrows the handle and
// never releases it. The outermost message loop of the thread deletes them whenever the
// message queue runs empty (AfxDeleteTempObjects), so a pointer from FromHandle is good
// while the current message is handled, as in MFC. Other threads keep theirs until they
// end.
#pragma once

#include <memory>
#include <unordered_map>

template <class TObject, class THandle>
class CTempObjects
{
public:
    // The thread's wrapper for hHandle, made by makeWrapper() on first use.
    template <class TMake>
    static TObject* Get(THandle hHandle, TMake makeWrapper)
    {
        std::unique_ptr<TObject>& slot = Objects()[hHandle];
        if (!slot)
            slot = makeWrapper(hHandle);
        return slot.get();
    }

    static void DeleteAll() { Objects().clear(); }

private:
    static std::unordered_map<THandle, std::unique_ptr<TObject>>& Objects()
    {
        thread_local std::unordered_map<THandle, std::unique_ptr<TObject>> objects;
        return objects;
    }
};

// Deletes every temporary wrapper of the calling thread.
void AfxDeleteTempObjects();
