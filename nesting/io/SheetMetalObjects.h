// The elements of one of a part's sheet-metal collections as plain host objects.
#pragma once

#include "vlapi/vlapi.h"

#include <vector>

// Appends every element of the collection that is a host object, in the
// collection's order; nothing for a missing collection.
template <class T, vlapi::IAPIObjectIID Iid>
void GetMetalObjects(const vlapi::SmartPtr<T, Iid>& collection, std::vector<vlapi::IAPIObjectPtr>& objects)
{
    if (!collection)
        return;
    for (int i = 0; i < collection->GetCount(); ++i) {
        vlapi::IAPIObjectPtr object{collection->GetItem(i)};
        if (object)
            objects.push_back(object);
    }
}
