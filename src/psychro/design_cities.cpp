#include "design_cities.h"

#include "properties.h"

namespace psychro {

namespace {

// Winter and summer design points: list text, then "winter dry bulb (F)
// winter RH (%) summer dry bulb (F) summer RH (%)". Stored exactly as
// published, the odd rows included (Omaha's summer 65 F, Yuma's 110 F).
constexpr std::array<CityRow, CityCount> Rows = {{
    {"Manual Entry", "25 80 95 51"},
    {"Albany, NY", "-10 63 93 52"},
    {"Albuquerque, NM", "0 51 95 33"},
    {"Amarillo, TX", "-10 51 100 43"},
    {"Asheville, NC", "0 59 93 56"},
    {"Atlanta, GA", "10 64 95 57"},
    {"Atlantic City, NJ", "5 68 95 72"},
    {"Augusta, GA", "10 59 98 55"},
    {"Baker, OR", "-5 81 90 68"},
    {"Baltimore, MD", "0 68 95 52"},
    {"Billings, MT", "-25 73 90 40"},
    {"Birmingham, AL", "10 61 95 56"},
    {"Bismarck, ND", "-30 71 95 52"},
    {"Boise, ID", "-10 75 95 34"},
    {"Boston, MA", "0 59 92 55"},
    {"Buffalo, NY", "-5 72 93 53"},
    {"Burlington, VT", "-10 69 90 54"},
    {"Butte, MT", "-20 70 95 36"},
    {"Cairo, IL", "0 69 98 57"},
    {"Charleston, SC", "15 55 95 64"},
    {"Charleston, WV", "0 64 95 53"},
    {"Cheyenne, WY", "-15 48 95 36"},
    {"Chicago, IL", "-10 70 95 51"},
    {"Cincinnati, OH", "0 70 95 52"},
    {"Cleveland, OH", "0 72 95 52"},
    {"Columbia, SC", "10 57 95 56"},
    {"Columbus, OH", "-10 71 95 52"},
    {"Concord, NH", "-15 60 90 49"},
    {"Corpus Christi, TX", "20 66 95 58"},
    {"Dallas, TX", "10 62 100 50"},
    {"Davenport, IA", "-15 72 95 55"},
    {"Deluth, MN", "-25 74 93 61"},
    {"Denver, CO", "-10 37 95 27"},
    {"Detroit, MI", "-10 71 95 50"},
    {"Dodge City, KS", "-10 57 95 45"},
    {"El Paso, TX", "10 45 100 37"},
    {"Eureka, CA", "30 77 90 77"},
    {"Flagstaff, AZ", "-10 58 90 36"},
    {"Fort Wayne, IN", "-10 75 95 53"},
    {"Fresno, CA", "25 80 105 36"},
    {"Grand Junction, CO", "-15 64 95 27"},
    {"Grand Rapids, MI", "-10 78 95 51"},
    {"Green Bay, WI", "-15 68 95 58"},
    {"Harrisburg, PA", "0 49 95 51"},
    {"Houston, TX", "20 66 95 58"},
    {"Huron, SD", "-20 72 95 52"},
    {"Indianapolis, IL", "-10 72 95 54"},
    {"Jacksonville, FL", "25 56 95 57"},
    {"Kansas City, MO", "-10 64 100 48"},
    {"Knoxville, TN", "0 65 95 55"},
    {"Lewiston, ID", "-5 73 95 37"},
    {"Little Rock, AR", "5 67 95 55"},
    {"Los Angeles, CA", "35 46 90 50"},
    {"Louisville, KY", "0 68 95 52"},
    {"Memphis, TN", "0 67 95 55"},
    {"Miami, FL", "35 59 91 64"},
    {"Milwaukee, WI", "-15 70 95 58"},
    {"Minneapolis, MN", "-20 72 95 54"},
    {"Mobile, AL", "10 61 95 64"},
    {"New Haven, CT", "0 65 95 64"},
    {"New Orleans, LA", "20 67 95 64"},
    {"New York, NY", "0 61 95 58"},
    {"Newark, NJ", "0 79 95 51"},
    {"North Platte, NE", "-20 62 85 50"},
    {"Oklahoma City, OK", "0 62 101 49"},
    {"Omaha, NE", "-10 68 65 51"},
    {"Parkersburg, WV", "-10 66 95 52"},
    {"Peoria, IL", "-10 72 96 53"},
    {"Philadelphia, PA", "0 65 95 52"},
    {"Phoenix, AZ", "25 47 105 31"},
    {"Pittsburgh, PA", "0 67 95 52"},
    {"Portland, ME", "-5 65 90 58"},
    {"Portland, OR", "10 82 90 63"},
    {"Providence, RI", "0 60 93 57"},
    {"Pueblo, Co", "-20 44 95 34"},
    {"Raleigh, NC", "10 57 95 55"},
    {"Rapid City", "-20 69 95 42"},
    {"Reno, NE", "-5 67 95 25"},
    {"Richmond, VA", "15 60 95 57"},
    {"Rochester, NY", "-5 73 95 50"},
    {"Sacramento, CA", "30 82 100 46"},
    {"Salt Lake City, UT", "-10 71 95 27"},
    {"San Antonio, TX", "20 60 100 49"},
    {"San Diego, CA", "35 58 85 68"},
    {"San Francisco, CA", "35 69 85 75"},
    {"Savannah, GA", "20 58 95 61"},
    {"Scranton, PA", "-5 67 95 50"},
    {"Seattle, WA", "15 80 85 63"},
    {"Shreveport, LA", "20 67 100 56"},
    {"Sioux City, IA", "-20 67 95 55"},
    {"St. Louis, MO", "0 65 95 50"},
    {"Terre Haute, IN", "0 70 95 50"},
    {"Toledo, OH", "-10 72 95 52"},
    {"Topeka, KS", "-10 64 100 54"},
    {"Trenton, NJ", "0 62 95 55"},
    {"Vicksburg, MI", "10 65 95 61"},
    {"Walla Walla, WA", "-5 74 95 33"},
    {"Washington, DC", "0 56 95 52"},
    {"Wilmington, DE", "0 62 95 52"},
    {"Yuma, AZ", "30 37 110 31"},
}};

} // namespace

const std::array<CityRow, CityCount>& cityTable() {
    return Rows;
}

int cityRowByName(const QString& name) {
    const auto& rows = cityTable();
    for (int i = 0; i < CityCount; ++i)
        if (name == QLatin1String(rows[size_t(i)].listText))
            return i;
    return -1;
}

} // namespace psychro

namespace psychro {

CityPoints cityPoints(int row) {
    QString s = QString::fromLatin1(cityTable()[size_t(row)].data);
    const float winterDryBulb = Parse(s);
    const float winterRh = Parse(s);
    const float summerDryBulb = Parse(s);
    return {winterDryBulb, winterRh, summerDryBulb, s};
}

} // namespace psychro
