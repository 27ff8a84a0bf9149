#include "app/ProcessLocale.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>

namespace quorvo::app {

void adoptUserLocale()
{
    std::setlocale(LC_ALL, "");
    // In an 8-bit locale (ISO-8859-1 and the like) isalpha and tolower take
    // GBK lead bytes for letters; UTF-8 keeps the desktop's characters
    // without that. Plain "C" (ASCII) classifies as UTF-8 does.
    if (MB_CUR_MAX == 1 && std::strcmp(nl_langinfo(CODESET), "ANSI_X3.4-1968") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
    // printf's %f, strtod and the JSON reader read and write "." decimals.
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace quorvo::app
