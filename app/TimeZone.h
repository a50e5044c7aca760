// Without TZ the C library looks at the zone file on every local-time conversion; naming the
// system's zone once at start-up gives the same times at a fraction of the cost.
#pragma once

class TimeZone {
public:
    // Sets TZ to ":/etc/localtime" when it is unset; a TZ the person set is kept.
    static void settle();
};
