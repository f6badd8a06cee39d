// Places, repositories and sources of a dataset, written before its people.
#include "generator_state.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "vocabulary.h"

namespace hk::mktmg::gen {

PlaceRec Generator::MakePlace(DatasetContext& ds, Rng& r, int recNo) {
    PlaceRec p;
    p.recNo = recNo;
    p.dsid = ds.info.dsid;
    p.styleId = Rare(r, 0.08)   ? kStylePlaceStandardCopy
                : Rare(r, 0.07) ? kStylePlaceShort
                                : kStylePlaceStandard;
    if (Rare(r, 0.01))
        return p; // a place with no parts at all
    int pick = r.Below(100);
    const CountryDef* country = &Countries()[0];
    for (const CountryDef& c : Countries()) {
        if (pick < c.weight) {
            country = &c;
            break;
        }
        pick -= c.weight;
    }
    if (Rare(r, 0.03)) {
        p.parts[kCountry] = Str(country->country);
        return p;
    }
    const CityDef& city = r.Pick(country->cities);
    p.parts[kCity] = Str(city.city);
    p.parts[kCounty] = Str(city.county);
    p.parts[kState] = Str(city.state);
    if (country->country == "USA") {
        double c = r.Unit();
        p.parts[kCountry] = c < 0.6 ? "USA" : c < 0.7 ? "United States of America" : "";
    } else {
        p.parts[kCountry] = Str(country->country);
    }
    if (r.Chance(0.1))
        p.parts[kDetail] = Str(r.Pick(PlaceDetails()));
    if (Rare(r, 0.02))
        p.parts[kAddressee] = "The Old Rectory";
    if (Rare(r, 0.03))
        p.parts[kPostal] = Fmt("%05d", r.Range(10000, 99999));
    if (Rare(r, 0.01))
        p.parts[kPhone] = Fmt("555-%04d", r.Range(0, 9999));
    if (Rare(r, 0.01))
        p.parts[kTemple] = r.Chance(0.5) ? "SLAKE" : "LOGAN";
    if (r.Chance(0.3)) {
        double lat = country->latMin + r.Unit() * (country->latMax - country->latMin);
        double lon = country->lonMin + r.Unit() * (country->lonMax - country->lonMin);
        char buf[64];
        if (Rare(r, 0.1)) {
            // TMG's packed form: DDMMSSH then DDDMMSSH.
            auto dms = [](double v, int& d, int& m, int& s) {
                v = std::fabs(v);
                d = static_cast<int>(v);
                m = static_cast<int>((v - d) * 60);
                s = static_cast<int>(((v - d) * 60 - m) * 60);
            };
            int ad, am, as, od, om, os;
            dms(lat, ad, am, as);
            dms(lon, od, om, os);
            std::snprintf(buf, sizeof buf, "%02d%02d%02d%c%03d%02d%02d%c", ad, am, as,
                          lat < 0 ? 'S' : 'N', od, om, os, lon < 0 ? 'W' : 'E');
        } else {
            std::snprintf(buf, sizeof buf, "%.10f,%.10f", lat, lon);
        }
        p.parts[kLatLong] = buf;
    } else if (Rare(r, 0.02)) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "Old church[GEO-PLACE:]%.4f,%.4f[:GEO-PLACE]",
                      country->latMin + 1.5, country->lonMin + 2.25);
        p.parts[kDetail] = buf;
    }
    if (!p.parts[kCity].empty()) {
        if (Rare(r, 0.02))
            p.parts[kCity] += "[:PLACE-MAP-LINK:]";
        else if (Rare(r, 0.01))
            p.parts[kCity] += "[:NO-PLACE-MAP-LINK:]";
        else if (Rare(r, 0.01))
            p.parts[kCity] += " {near}";
    }
    std::string shortPlace = p.parts[kCity].empty() ? p.parts[kCounty] : p.parts[kCity];
    if (!p.parts[kState].empty())
        shortPlace += ", " + p.parts[kState];
    p.shortPlace = shortPlace;
    if (Rare(r, 0.05))
        p.comment = "Boundaries changed over time; see the county history.";
    if (Rare(r, 0.03)) {
        p.startYear = "1790";
        p.endYear = "1850";
    }
    return p;
}

void Generator::WritePlaces(DatasetContext& ds, Rng& r) {
    for (int i = 0; i < ds.placeCount; ++i) {
        PlaceRec p = MakePlace(ds, r, ++place_);
        w_.Write(p);
        if (Rare(r, 0.02))
            Cite(ds, r, 'P', p.recNo, 1, false);
        if (Rare(r, 0.01)) {
            ExhibitRec e;
            e.id = ++exhibit_;
            e.dsid = ds.info.dsid;
            e.ownerType = 'P';
            e.ownerNum = p.recNo;
            e.place = p.recNo;
            e.name = "Map of " + p.shortPlace;
            e.imageFile = "Maps\\place" + std::to_string(p.recNo) + ".png";
            e.primary = true;
            w_.Write(e);
        }
    }
}

void Generator::WriteRepositories(DatasetContext& ds, Rng& r) {
    for (int i = 0; i < ds.repoCount; ++i) {
        RepositoryRec rep;
        rep.recNo = ++repo_;
        rep.refId = ds.nextRepoRef++;
        rep.dsid = ds.info.dsid;
        std::string name = Str(RepositoryNames()[i % RepositoryNames().size()]);
        if (i >= static_cast<int>(RepositoryNames().size()))
            name += " " + std::to_string(i);
        rep.name = name;
        rep.abbrev = Cut(name, 50);
        rep.address = ds.placeFirst + r.Below(ds.placeCount);
        if (r.Chance(0.2))
            rep.note = "Open Tuesday to Friday; appointments required.";
        w_.Write(rep);
        if (Rare(r, 0.05)) {
            ExhibitRec e;
            e.id = ++exhibit_;
            e.dsid = ds.info.dsid;
            e.ownerType = 'R';
            e.ownerNum = rep.recNo;
            e.repository = rep.recNo;
            e.name = "Reading room";
            e.imageFile = "Repositories\\repo" + std::to_string(rep.recNo) + ".jpg";
            w_.Write(e);
        }
        if (Rare(r, 0.05))
            WriteResearchLog(ds, r, 'R', rep.recNo, 0, 0, 0, "Visit " + name);
    }
}

void Generator::WriteSources(DatasetContext& ds, Rng& r) {
    for (int i = 0; i < ds.sourceCount; ++i) {
        SourceRec s;
        s.majNum = ++source_;
        s.refId = ds.nextSourceRef++;
        s.dsid = ds.info.dsid;
        const CountryDef& country = Countries()[0];
        const CityDef& city = r.Pick(country.cities);
        std::string county = city.county.empty() ? Str(city.state) : Str(city.county) + " County";
        int year = r.Range(1700, 1950);
        std::vector<std::string> info(32);
        auto set = [&](int group, std::string v) { info[group - 1] = std::move(v); };
        std::string author = Str(r.Pick(MaleGivenNames())) + " " + Str(r.Pick(Surnames()));
        int kind = r.Below(7);
        switch (kind) {
        case 0:
            s.type = 1;
            s.title = "History of " + county;
            set(6, author);
            set(15, "Chapman Brothers");
            set(16, "Chicago");
            set(21, std::to_string(r.Range(200, 900)) + " pages");
            break;
        case 1:
            year = 1790 + 10 * r.Below(16);
            s.type = 2;
            s.title = std::to_string(year) + " U.S. census, " + county + ", " + Str(city.state);
            set(5, "population schedule");
            set(27, "Film " + std::to_string(r.Range(100000, 999999)));
            break;
        case 2:
            s.type = 3;
            s.title = Str(city.state) + " death certificates";
            set(5, "death certificate");
            break;
        case 3:
            s.type = 4;
            s.title =
                "Parish register of St. Mary, " + Str(city.city.empty() ? city.county : city.city);
            set(5, "parish register");
            break;
        case 4:
            s.type = 5;
            s.title = Str(city.city.empty() ? city.state : city.city) + " Gazette";
            break;
        case 5:
            s.type = 1;
            s.custType = 1001;
            s.title = Str(r.Pick(Surnames())) + " family Bible";
            set(15, "American Bible Society");
            set(16, "New York");
            break;
        default:
            s.type = 5;
            s.custType = 1002;
            s.title = "Letter from " + author;
            set(6, author);
            set(10, Str(r.Pick(FemaleGivenNames())) + " " + Str(r.Pick(Surnames())));
            break;
        }
        set(1, s.title);
        set(2, Cut(s.title, 40));
        set(11, std::to_string(year));
        set(13, county + ", " + Str(city.state));
        s.info = PackParts(info);
        s.abbrev = Cut(s.title, 50);
        s.recorder = r.Range(1, 6);
        s.media = r.Range(1, 6);
        s.fidelity = r.Range(1, 5);
        s.indexed = r.Range(1, 3);
        s.active = !Rare(r, 0.05);
        s.cited = true;
        s.ibidType = r.Below(3);
        if (Rare(r, 0.05))
            s.footTemplate = "[TITLE]<, [CD]>.";
        if (r.Chance(0.1))
            s.text = "Transcribed extracts kept with the research notes.";
        if (Rare(r, 0.02))
            s.reminders = "Check the microfilm again.";
        if (r.Chance(0.3))
            s.firstDetail = "p. " + std::to_string(r.Range(1, 300));
        w_.Write(s);
        int repo = ds.repoFirst + r.Below(ds.repoCount);
        w_.Write(RepositoryLinkRec{s.majNum, repo, ds.info.dsid,
                                   "Call no. " + std::to_string(r.Range(900, 999)) + "." +
                                       std::to_string(r.Range(1, 99)),
                                   true, false});
        if (ds.repoCount > 1 && r.Chance(0.3)) {
            int other = ds.repoFirst + (repo - ds.repoFirst + 1) % ds.repoCount;
            w_.Write(RepositoryLinkRec{s.majNum, other, ds.info.dsid, "Copy", false, false});
        }
        if (Rare(r, 0.03)) {
            ExhibitRec e;
            e.id = ++exhibit_;
            e.dsid = ds.info.dsid;
            e.ownerType = 'M';
            e.ownerNum = s.majNum;
            e.source = s.majNum;
            e.name = Cut("Title page: " + s.title, 30);
            e.imageFile = "Sources\\source" + std::to_string(s.majNum) + ".jpg";
            e.primary = true;
            w_.Write(e);
        }
        if (Rare(r, 0.03))
            WriteResearchLog(ds, r, 'M', s.majNum, 0, 0, 0, "Search " + s.title);
    }
}

} // namespace hk::mktmg::gen
