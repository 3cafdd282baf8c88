// A module as the loader meets one: built once for each version the test
// needs, and once saying none.
#include "platform/ui/modules.h"

#ifdef TEST_MODULE_VERSION
KOTOHA_MODULE_VERSION(TEST_MODULE_VERSION)
#endif

extern "C" Q_DECL_EXPORT int kotohaTestAnswer()
{
    return 42;
}
