// Checks of the dates typed by the user: read "M/D/YYYY" and refuse days that do not exist.
#pragma once

class DateCheck {
public:
    enum Result { Valid = 0, Unreadable = -1, OutOfRange = -2 };

    // Reads month, day and year with "%d/%d/%d"; anything but blanks after the year is Unreadable.
    static Result checkDate(const char* text);
    // True for a day of the Gregorian calendar from 1900 to 9999.
    static bool isRealDate(int year, int month, int day);
};
