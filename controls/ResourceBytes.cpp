#include "controls/ResourceBytes.h"

#include <cstring>

CGlobalMemory CopyResourceBytes(HMODULE hModule, UINT nResourceId, LPCWSTR pszType, DWORD& nSize)
{
    nSize = 0;
    HRSRC hResource = FindResourceW(hModule, MAKEINTRESOURCEW(nResourceId), pszType);
    if (!hResource)
        return CGlobalMemory();
    HGLOBAL hLoaded = LoadResource(hModule, hResource);
    const DWORD nBytes = SizeofResource(hModule, hResource);
    const void* pBytes = hLoaded ? LockResource(hLoaded) : nullptr;
    if (!pBytes || nBytes == 0)
        return CGlobalMemory();

    CGlobalMemory copy(GlobalAlloc(GMEM_MOVEABLE, nBytes));
    if (!copy)
        return CGlobalMemory();
    {
        const CGlobalMemoryLock lock(copy.Get());
        if (!lock)
            return CGlobalMemory();
        std::memcpy(lock.Data(), pBytes, nBytes);
    }
    nSize = nBytes;
    return copy;
}
