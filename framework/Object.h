// CObject: the root of the class tree, anything the program may delete through a base
// pointer.
#pragma once

class CObject
{
public:
    virtual ~CObject() = default;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};
