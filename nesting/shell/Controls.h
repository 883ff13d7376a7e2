// Panel controls carry no ids: a handler recognises the control of an event by
// comparing it with the controls it kept.
#pragma once

#include "vlapi/vlapi.h"

#include <type_traits>

// Two control pointers name the same control when they are the same pointer
// (two empty ones included), or when both are present and the host gives the
// same object for their common interface. The faces of a control (the edit of
// an edit with a check box, a list's tool bar) answer the control itself.
template <class A, class B>
bool SameControl(const A& a, const B& b)
{
    if constexpr (std::is_same_v<A, B>) {
        if (a == b)
            return true;
    }
    if (!a || !b)
        return !a && !b;
    const vlapi::IAPIObjectPtr first(a);
    const vlapi::IAPIObjectPtr second(b);
    return first && first == second;
}
