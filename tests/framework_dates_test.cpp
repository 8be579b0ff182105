#include "runtime/dates.h"

#include <gtest/gtest.h>

namespace {

TEST(Dates, TwoDigitYearsReadFromTheEpochAndDatesShowAsDayMonthYear)
{
    vendrik::setDateFormat("dd.mm.yyyy");
    vendrik::setYearEpoch(2000);
    struct Case {
        const char* text;
        QDate date;
    } const cases[] = {
        {"05.03.05", QDate(2005, 3, 5)},   {"5.3.99", QDate(2099, 3, 5)},
        {"31.12.2010", QDate(2010, 12, 31)}, {" 01/02/1998 ", QDate(1998, 2, 1)},
        {"31.02.2010", QDate()},           {"oggi", QDate()},
        {"", QDate()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(vendrik::parseDate(c.text), c.date);
    }
    EXPECT_EQ(vendrik::formatDate(QDate(2005, 3, 5)), "05.03.2005");
    EXPECT_EQ(vendrik::formatDate(QDate()), "");
    vendrik::setYearEpoch(1950);
    EXPECT_EQ(vendrik::parseDate("01.01.49"), QDate(2049, 1, 1));
    EXPECT_EQ(vendrik::parseDate("01.01.50"), QDate(1950, 1, 1));
}

} // namespace
