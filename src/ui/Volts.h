#pragma once
// Millivolts as the user reads volts: the shortest exact decimal form in the user's locale
// (12150 gives "12.15", 12000 gives "12", 9875 gives "9.875" with "." as separator).

#include <QLocale>
#include <QString>

inline QString voltsText(double millivolts)
{
    // Dividing keeps 12150 exactly the double nearest 12.15, so no digits of noise appear.
    return QLocale().toString(millivolts / 1000.0, 'g', QLocale::FloatingPointShortest);
}
