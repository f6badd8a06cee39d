#pragma once
// Word lists the generator draws names, places and source titles from.
#include <span>
#include <string_view>

namespace hk::mktmg {

std::span<const std::string_view> MaleGivenNames();
std::span<const std::string_view> FemaleGivenNames();
std::span<const std::string_view> Surnames();
// Surnames written with a part before them ("van" Buren): the pre-surname and the surname.
struct PrefixedSurname {
    std::string_view preSurname, surname;
};
std::span<const PrefixedSurname> PrefixedSurnames();
std::span<const std::string_view> Titles();
std::span<const std::string_view> Suffixes();
std::span<const std::string_view> Nicknames();
std::span<const std::string_view> Occupations();

// Places of one country: cities with their county and state (or province), the country as
// people write it, and a box of coordinates.
struct CityDef {
    std::string_view city, county, state;
};
struct CountryDef {
    std::string_view country;
    std::span<const CityDef> cities;
    double latMin, latMax, lonMin, lonMax;
    int weight; // share of the places in percent
};
std::span<const CountryDef> Countries();
std::span<const std::string_view> PlaceDetails();

std::span<const std::string_view> RepositoryNames();
std::span<const std::string_view> IrregularDateTexts();

} // namespace hk::mktmg
