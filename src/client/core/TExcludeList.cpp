#include "client/core/TExcludeList.h"

TExcludeList &ExcludeList()
{
    static TExcludeList list;
    return list;
}
