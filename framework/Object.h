// The roots of the class tree: CObject (anything deletable through a base pointer) and
// CCmdTarget (anything that can receive messages and commands).
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

class CCmdTarget : public CObject
{
};
