#pragma once

#include "framework/Object.h"

// The framework's shell manager object: the program creates and deletes one; nothing in
// the program uses it further.
class CShellManager : public CObject
{
};
