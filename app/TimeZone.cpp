#include "app/TimeZone.h"

#include <cstdlib>
#include <ctime>

void TimeZone::settle()
{
    if (!std::getenv("TZ"))
        setenv("TZ", ":/etc/localtime", 0);
    tzset();
}
