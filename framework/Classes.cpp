#include "framework/Classes.h"

#include "framework/SysUtils.h"

#include <typeinfo>

void TPersistent::Assign(const TPersistent* source)
{
    if (source)
        source->AssignTo(this);
    else
        AssignTo(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    throw EConvertError(std::string("Cannot assign a ") + typeid(*this).name() + " to a " +
                        (dest ? typeid(*dest).name() : "nil"));
}
