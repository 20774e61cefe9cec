// The owned/borrowed handle template: an owner releases exactly what it holds, once, and
// never the kind's "no handle" value; a borrower never releases; the scoped states undo
// what they did.
#include "FrameworkTestSupport.h"

#include "framework/Handle.h"

#include <mutex>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

// A kind of handle whose "no handle" value is -1, as CreateFile's, and whose releases are
// recorded.
struct CRecordedTraits
{
    using Type = int;
    static Type Invalid() { return -1; }
    static void Close(Type handle) { Closed().push_back(handle); }
    static std::vector<int>& Closed()
    {
        static std::vector<int> closed;
        return closed;
    }
};

using CRecorded = COwned<CRecordedTraits>;

class HandleTest : public ::testing::Test
{
protected:
    void SetUp() override { CRecordedTraits::Closed().clear(); }
    static const std::vector<int>& Closed() { return CRecordedTraits::Closed(); }
};

bool IsOpenKernelHandle(HANDLE handle)
{
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

DWORD WINAPI TakeAndLeave(LPVOID pSection)
{
    std::lock_guard<CCriticalSection> hold(*static_cast<CCriticalSection*>(pSection));
    return 0;
}

// A COM object that counts its references; it begins with the one its creator hands out.
class CCountingUnknown : public IUnknown
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppObject) override
    {
        AddRef();
        *ppObject = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }

    ULONG references = 1;
};

// Whether `pointer->Release()` / `pointer->AddRef()` compiles for a pointer type.
template <class TPointer, class = void>
struct CanReleaseThrough : std::false_type
{
};
template <class TPointer>
struct CanReleaseThrough<TPointer, std::void_t<decltype(std::declval<TPointer&>()->Release())>>
    : std::true_type
{
};
template <class TPointer, class = void>
struct CanAddRefThrough : std::false_type
{
};
template <class TPointer>
struct CanAddRefThrough<TPointer, std::void_t<decltype(std::declval<TPointer&>()->AddRef())>>
    : std::true_type
{
};

static_assert(CanReleaseThrough<IUnknown*>::value, "the check sees a reachable Release");
static_assert(!CanReleaseThrough<CComPtr<IUnknown>>::value,
              "a reference CComPtr holds can be let go only through CComPtr itself");
static_assert(!CanAddRefThrough<CComPtr<IDispatch>>::value,
              "a reference added through -> would never be let go");

}  // namespace

// ---- owner ----

TEST_F(HandleTest, Owner_ReleasesWhatItHoldsOnceWhenItGoes)
{
    {
        CRecorded owner(0);  // 0 is a real handle for a kind whose "none" is -1
        EXPECT_TRUE(owner);
    }
    EXPECT_EQ(std::vector<int>{0}, Closed());
}

TEST_F(HandleTest, Owner_NeverReleasesTheNoHandleValue)
{
    {
        CRecorded empty;
        CRecorded failed(-1);
        EXPECT_FALSE(empty);
        EXPECT_FALSE(failed);
    }
    EXPECT_TRUE(Closed().empty());
}

TEST_F(HandleTest, Reset_ReleasesTheOldHandleAndKeepsTheNew)
{
    CRecorded owner(1);
    owner.Reset(2);
    EXPECT_EQ(std::vector<int>{1}, Closed());
    EXPECT_EQ(2, owner.Get());
}

TEST_F(HandleTest, Receive_ReleasesWhatWasHeldBeforeTheCallFillsIt)
{
    CRecorded owner(3);
    *owner.Receive() = 4;
    EXPECT_EQ(std::vector<int>{3}, Closed());
    EXPECT_EQ(4, owner.Get());
}

TEST_F(HandleTest, Detach_HandsOverWithoutReleasing)
{
    int handed = 0;
    {
        CRecorded owner(5);
        handed = owner.Detach();
        EXPECT_FALSE(owner);
    }
    EXPECT_EQ(5, handed);
    EXPECT_TRUE(Closed().empty());
}

TEST_F(HandleTest, Move_LeavesOneOwner)
{
    {
        CRecorded first(6);
        CRecorded second(std::move(first));
        CRecorded third(7);
        third = std::move(second);  // 7 goes, 6 moves on
        EXPECT_FALSE(first);        // NOLINT: checking the moved-from state on purpose
        EXPECT_EQ(6, third.Get());
        EXPECT_EQ(std::vector<int>{7}, Closed());
    }
    EXPECT_EQ((std::vector<int>{7, 6}), Closed());
}

// ---- borrower ----

TEST_F(HandleTest, Borrower_NeverReleases)
{
    CRecorded owner(8);
    {
        CBorrowed<CRecordedTraits> view(owner);
        CBorrowed<CRecordedTraits> copy = view;
        EXPECT_EQ(8, copy.Get());
    }
    EXPECT_TRUE(Closed().empty());
    EXPECT_FALSE(CBorrowed<CRecordedTraits>(-1));
}

// ---- COM references ----

TEST(ComPtr, FromRawPointer_AddsAReferenceAndLetsItGoAtTheBrace)
{
    CCountingUnknown object;
    {
        CComPtr<IUnknown> pointer(&object);
        EXPECT_EQ(2u, object.references);
        EXPECT_EQ(&object, pointer.Get());
    }
    EXPECT_EQ(1u, object.references);
    CComPtr<IUnknown> none(nullptr);
    EXPECT_FALSE(none);
}

TEST(ComPtr, AssignedARawPointer_AddsOneAndLetsThePreviousGo)
{
    CCountingUnknown first;
    CCountingUnknown second;
    CComPtr<IUnknown> pointer(&first);
    pointer = &second;
    EXPECT_EQ(1u, first.references);
    EXPECT_EQ(2u, second.references);

    pointer = pointer.Get();   // its own pointer again: still one reference of its own
    EXPECT_EQ(2u, second.references);

    pointer = nullptr;
    EXPECT_EQ(1u, second.references);
    EXPECT_FALSE(pointer);
}

TEST(ComPtr, CopyAddsAReference_MoveHandsTheOneItHadOver)
{
    CCountingUnknown object;
    CComPtr<IUnknown> original(&object);
    {
        CComPtr<IUnknown> copy(original);
        EXPECT_EQ(3u, object.references);
        CComPtr<IUnknown> assigned;
        assigned = copy;
        EXPECT_EQ(4u, object.references);
    }
    EXPECT_EQ(2u, object.references);

    CComPtr<IUnknown> moved(std::move(original));
    EXPECT_EQ(2u, object.references);
    EXPECT_FALSE(original);   // NOLINT: checking the moved-from state on purpose
    CComPtr<IUnknown> target;
    target = std::move(moved);
    EXPECT_EQ(2u, object.references);
    EXPECT_EQ(&object, target.Get());
}

TEST(ComPtr, Attach_TakesTheReferenceOverWithoutAddingOne)
{
    CCountingUnknown first;
    CCountingUnknown second;
    {
        CComPtr<IUnknown> pointer;
        pointer.Attach(&first);   // the reference its creator handed out
        EXPECT_EQ(1u, first.references);
        pointer.Attach(&second);
        EXPECT_EQ(0u, first.references) << "the reference held before is let go";
        EXPECT_EQ(1u, second.references);
    }
    EXPECT_EQ(0u, second.references);
}

TEST(ComPtr, DetachAndRelease_GiveTheReferenceUpOrLetItGoOnce)
{
    CCountingUnknown object;
    CComPtr<IUnknown> pointer(&object);
    IUnknown* handed = pointer.Detach();
    EXPECT_EQ(&object, handed);
    EXPECT_EQ(2u, object.references) << "Detach lets nothing go";
    EXPECT_FALSE(pointer);

    pointer.Attach(handed);
    pointer.Release();
    EXPECT_EQ(1u, object.references);
    EXPECT_FALSE(pointer);
    pointer.Release();
    EXPECT_EQ(1u, object.references) << "an empty pointer lets nothing go";
}

TEST(ComPtr, Receive_TakesAnOutParameterAsItIsAndLetsTheOldOneGoFirst)
{
    CCountingUnknown object;
    CComPtr<IUnknown> source(&object);
    CComPtr<IUnknown> asked;
    ASSERT_EQ(S_OK, source->QueryInterface(__uuidof(IUnknown), asked.ReceiveVoid()));
    EXPECT_EQ(3u, object.references) << "the interface's own reference, not one more";

    CCountingUnknown other;
    asked.Attach(&other);
    EXPECT_EQ(2u, object.references);
    IUnknown** slot = asked.Receive();
    EXPECT_EQ(0u, other.references) << "released before the call fills the slot";
    EXPECT_EQ(nullptr, *slot);
}

// ---- real kinds ----

TEST_F(HandleTest, KernelHandle_IsClosedByItsOwner)
{
    HANDLE hEvent = nullptr;
    {
        CKernelHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(event);
        hEvent = event.Get();
        EXPECT_TRUE(IsOpenKernelHandle(hEvent));
    }
    EXPECT_FALSE(IsOpenKernelHandle(hEvent));
}

TEST_F(HandleTest, FileHandle_TreatsInvalidHandleValueAsNone)
{
    CFileHandle missing(::CreateFileW(L"C:\\no such folder\\no such file", GENERIC_READ, 0,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);
    CKernelHandle failedOpen(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, 0xFFFFFFF0u));
    EXPECT_FALSE(failedOpen);
}

TEST_F(HandleTest, GdiHandle_IsDeletedByItsOwner)
{
    HGDIOBJ hBrush = nullptr;
    {
        CGdiHandle<HBRUSH> brush(::CreateSolidBrush(RGB(1, 2, 3)));
        hBrush = brush.Get();
        EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), ::GetObjectType(hBrush));
    }
    EXPECT_EQ(0u, ::GetObjectType(hBrush));
}

// ---- scoped state ----

TEST_F(HandleTest, GdiSelection_GivesTheDCBackWhatItHad)
{
    COwned<CCreatedDCTraits> dc(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ hBefore = ::GetCurrentObject(dc.Get(), OBJ_BRUSH);
    CGdiHandle<HBRUSH> brush(::CreateSolidBrush(RGB(9, 9, 9)));
    {
        CGdiSelection selection(dc.Get(), brush.Get());
        EXPECT_TRUE(selection);
        EXPECT_EQ(brush.Get(), ::GetCurrentObject(dc.Get(), OBJ_BRUSH));
    }
    EXPECT_EQ(hBefore, ::GetCurrentObject(dc.Get(), OBJ_BRUSH));
}

TEST_F(HandleTest, GdiSelection_OfNothing_ChangesNothing)
{
    COwned<CCreatedDCTraits> dc(::CreateCompatibleDC(nullptr));
    const HGDIOBJ hBefore = ::GetCurrentObject(dc.Get(), OBJ_BRUSH);
    {
        CGdiSelection selection(dc.Get(), nullptr);
        EXPECT_FALSE(selection);
    }
    EXPECT_EQ(hBefore, ::GetCurrentObject(dc.Get(), OBJ_BRUSH));
}

TEST_F(HandleTest, GlobalMemoryLock_UnlocksWhenItGoes)
{
    CGlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE, 16));
    ASSERT_TRUE(block);
    {
        CGlobalMemoryLock lock(block.Get());
        ASSERT_TRUE(lock);
        lock.Data()[0] = 0x5A;
        EXPECT_EQ(1u, ::GlobalFlags(block.Get()) & GMEM_LOCKCOUNT);
    }
    EXPECT_EQ(0u, ::GlobalFlags(block.Get()) & GMEM_LOCKCOUNT);
    EXPECT_FALSE(CGlobalMemoryLock(nullptr));
}

TEST_F(HandleTest, CriticalSection_IsFreeAgainAfterItsScope)
{
    CCriticalSection section;
    {
        std::lock_guard<CCriticalSection> hold(section);
    }
    // Another thread can take it only if the scope above let it go.
    CKernelHandle thread(::CreateThread(nullptr, 0, &TakeAndLeave, &section, 0, nullptr));
    ASSERT_TRUE(thread);
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.Get(), 10000));
}
