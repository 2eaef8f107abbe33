// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/monitor/time_stamp.h"

#include <langinfo.h>
#include <locale.h>

#include <memory>
#include <type_traits>

namespace camera {

namespace {
struct LocaleDeleter {
    void operator()(locale_t loc) const { freelocale(loc); }
};
using LocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;
} // namespace

DateTimeSeparators localeSeparators()
{
    // The user's LC_TIME from the environment, whether or not the process
    // has called setlocale(); an unknown locale name falls back to "C".
    LocaleHandle loc(newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr)));
    if (!loc)
        loc.reset(newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr)));
    if (!loc)
        return {};
    const char* dateFormat = nl_langinfo_l(D_FMT, loc.get());
    const char* timeFormat = nl_langinfo_l(T_FMT, loc.get());
    return separatorsFromFormats(dateFormat ? dateFormat : "", timeFormat ? timeFormat : "");
}

} // namespace camera
