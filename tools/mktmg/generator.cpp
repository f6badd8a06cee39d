#include "generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <set>
#include <source_location>

#include "record_writer.h"
#include "rng.h"
#include "tmg_values.h"
#include "vocabulary.h"

namespace hk::mktmg {

namespace {

constexpr int kThisYear =
    2024; // "now" for living people: fixed, so output never depends on the clock

struct Dated {
    std::string date, sort;
    int year = 0;
};

struct Surname {
    std::string pre, sur;
};

// A person of the family being generated.
struct Member {
    int perNo = 0;
    int refId = 0;
    char sex = '?';
    int birthYear = 0;
    int deathYear = 0; // 0: no death recorded
    NameParts name;
    int nameRec = 0;
    std::string birthSort, deathSort;
    int father = 0, mother = 0; // member indexes + 1, 0 for none
    int generation = 0;
    int spouses = 0;
    bool outsider = false; // married into the family
};

struct DatasetContext {
    DatasetInfo info;
    int64_t quota = 0;
    int64_t remaining = 0;
    int placeFirst = 0, placeCount = 0;
    int sourceFirst = 0, sourceCount = 0;
    int repoFirst = 0, repoCount = 0;
    int nextPersonRef = 1, nextSourceRef = 1, nextRepoRef = 1, nextEventRef = 1;
    bool second = false; // the small imported dataset: its own style and tag type
};

std::string Str(std::string_view s) {
    return std::string(s);
}

std::string Fmt(const char* format, int a, int b = 0, int c = 0) {
    char buf[96];
    std::snprintf(buf, sizeof buf, format, a, b, c);
    return buf;
}

std::string Cut(std::string s, size_t n) {
    if (s.size() > n)
        s.resize(n);
    return s;
}

std::string FullName(const NameParts& p) {
    std::string out = p[kGiven];
    std::string sur = p[kPreSurname].empty() ? p[kSurname] : p[kPreSurname] + " " + p[kSurname];
    if (!sur.empty())
        out += (out.empty() ? "" : " ") + sur;
    return out.empty() ? "(unnamed)" : out;
}

class Generator {
public:
    Generator(const GeneratorOptions& o, RecordWriter& w, const std::vector<DatasetInfo>& datasets)
        : o_(o), w_(w), datasets_(datasets) {
        char d[16];
        std::snprintf(d, sizeof d, "%04d%02d%02d", o.date.year, o.date.month, o.date.day);
        lastEdit_ = d;
    }

    void Run();

private:
    // Datasets and their shared records.
    void WritePlaces(DatasetContext& ds, Rng& r);
    void WriteRepositories(DatasetContext& ds, Rng& r);
    void WriteSources(DatasetContext& ds, Rng& r);
    void WriteFamilies(DatasetContext& ds);
    void WriteDeletedSamples(DatasetContext& ds, Rng& r);
    PlaceRec MakePlace(DatasetContext& ds, Rng& r, int recNo);

    // Families.
    struct Clan {
        DatasetContext& ds;
        Rng rng;
        std::vector<Member> members;
        size_t target = 0;
        int maxGeneration = 3;
        bool Full() const { return members.size() >= target || ds.remaining <= 0; }
    };
    void WriteClan(DatasetContext& ds, int64_t clanIndex, size_t target);
    int NewPerson(Clan& c, char sex, int birthYear, const Surname& sn, int father, int mother,
                  int generation, bool outsider);
    void Marry(Clan& c, int a, int b, std::vector<std::pair<int, int>>& couples);
    void HaveChildren(Clan& c, int husband, int wife, int marriageYear,
                      std::vector<std::pair<int, int>>& couples);
    void AddNames(Clan& c, Member& m, const Surname& sn);
    void WriteMarriedName(Clan& c, const Member& wife, const Member& husband, const Dated& when);
    void WritePersonEvents(Clan& c, int index);
    void LinkParent(Clan& c, int child, int parent, int type, bool primary);

    // Records.
    Dated MakeDate(Rng& r, int year);
    int WriteEvent(Clan& c, int type, int per1, int per2, const Dated& d, std::string memo = {});
    void WriteParticipant(Clan& c, int perNo, int event, bool primary, const std::string& role,
                          int nameRec, bool deleted = false);
    void MaybeCite(Clan& c, char type, int refRec, double chance);
    void Cite(DatasetContext& ds, Rng& r, char type, int refRec, int sequence, bool deleted);
    int RandomPlace(DatasetContext& ds, Rng& r);
    void WritePersonExhibits(Clan& c, const Member& m);
    void WriteEventExhibit(Clan& c, int event, int type, int per1, int per2);
    void WriteDna(Clan& c, const Member& m);
    void WriteResearchLog(DatasetContext& ds, Rng& r, char ownerType, int owner, int per1, int per2,
                          int eventType, const std::string& what);
    Surname RandomSurname(Rng& r);
    int NextPersonRef(DatasetContext& ds, Rng& r);
    Sureties RandomSureties(Rng& r);
    // A rare feature: taken at its first opportunity in the project, so that even a small
    // project has it, and afterwards with probability p. Call sites are told apart by line.
    bool Rare(Rng& r, double p, std::source_location at = std::source_location::current()) {
        if (rareSeen_.insert(at.line()).second)
            return true;
        return r.Chance(p);
    }

    const GeneratorOptions& o_;
    RecordWriter& w_;
    std::vector<DatasetInfo> datasets_;
    std::string lastEdit_;
    int perNo_ = 0, nameRec_ = 0, eventRec_ = 0, parentRec_ = 0, citation_ = 0, place_ = 0,
        source_ = 0, repo_ = 0, exhibit_ = 0, dna_ = 0;
    std::set<unsigned> rareSeen_;
    size_t dateCycle_ = 0;
    int attachmentCycle_ = 0;
};

// ---------------------------------------------------------------------------------------------

void Generator::Run() {
    std::vector<int64_t> quotas = DatasetQuotas(o_.people, static_cast<int>(datasets_.size()));
    for (size_t i = 0; i < datasets_.size(); ++i) {
        DatasetContext ds;
        ds.info = datasets_[i];
        ds.quota = ds.remaining = quotas[i];
        ds.second = i == 1;
        Rng r = Rng::For(o_.seed, static_cast<uint64_t>(ds.info.dsid), 1);
        // Numbers first: places cite sources and repositories live at places.
        ds.placeCount = static_cast<int>(std::max<int64_t>(4, ds.quota / 12));
        ds.placeFirst = place_ + 1;
        ds.repoCount = static_cast<int>(std::clamp<int64_t>(ds.quota / 400, 2, 5000));
        ds.repoFirst = repo_ + 1;
        ds.sourceCount = static_cast<int>(std::max<int64_t>(5, ds.quota / 80));
        ds.sourceFirst = source_ + 1;
        WritePlaces(ds, r);
        WriteRepositories(ds, r);
        WriteSources(ds, r);
        WriteFamilies(ds);
        WriteDeletedSamples(ds, r);
    }
    // Focus groups are shared by all datasets.
    w_.Write(FocusGroupRec{1, "Direct line", false, false});
    w_.Write(FocusGroupRec{2, "Unresolved identities", false, false});
    w_.Write(FocusGroupRec{3, "Recent additions", true, false});
    w_.Write(FocusGroupRec{4, "Old research group", false, true});
}

Sureties Generator::RandomSureties(Rng& r) {
    static constexpr char kValues[] = {' ', ' ', ' ', '-', '0', '1', '2', '3', '3'};
    Sureties s;
    for (char& c : s)
        c = kValues[r.Below(sizeof kValues)];
    return s;
}

int Generator::NextPersonRef(DatasetContext& ds, Rng& r) {
    if (r.Chance(0.01))
        ds.nextPersonRef += r.Range(1, 5); // gaps where people were deleted
    return ds.nextPersonRef++;
}

Surname Generator::RandomSurname(Rng& r) {
    if (r.Chance(0.05)) {
        const PrefixedSurname& p = r.Pick(PrefixedSurnames());
        return {Str(p.preSurname), Str(p.surname)};
    }
    return {"", Str(r.Pick(Surnames()))};
}

int Generator::RandomPlace(DatasetContext& ds, Rng& r) {
    if (ds.placeCount == 0 || r.Chance(0.2))
        return 0;
    return ds.placeFirst + r.Below(ds.placeCount);
}

Dated Generator::MakeDate(Rng& r, int y) {
    enum Kind { kExactDate, kPartialDate, kModified, kRange, kQuestion, kIrregularDate, kNoDate };
    // The first dates of a project go through every kind and modifier once, so that even a
    // small project has each; later ones are drawn.
    static constexpr int kFirst[][2] = {
        {kExactDate, 0},     {kPartialDate, 0},   {kModified, kBefore}, {kModified, kSay},
        {kModified, kCirca}, {kModified, kAfter}, {kRange, kBetween},   {kRange, kOr},
        {kRange, kFromTo},   {kQuestion, 0},      {kIrregularDate, 0},  {kNoDate, 0}};
    int kind, mod = -1;
    if (dateCycle_ < std::size(kFirst)) {
        kind = kFirst[dateCycle_][0];
        mod = kFirst[dateCycle_][1];
        ++dateCycle_;
    } else {
        double u = r.Unit();
        kind = u < 0.64   ? kExactDate
               : u < 0.74 ? kPartialDate
               : u < 0.82 ? kModified
               : u < 0.88 ? kRange
               : u < 0.91 ? kQuestion
               : u < 0.97 ? kIrregularDate
                          : kNoDate;
    }
    Dated out;
    out.year = y;
    int m = r.Range(1, 12), d = r.Range(1, 28);
    switch (kind) {
    case kExactDate: {
        // Old style (dual year) dates: before 1752, between 1 January and 24 March.
        bool oldStyle = false;
        if (y < 1752 && Rare(r, 0.1)) {
            m = r.Range(1, 3);
            d = r.Range(1, m == 3 ? 24 : 28);
            oldStyle = true;
        }
        out.date = RegularDate({y, m, d, oldStyle});
        break;
    }
    case kPartialDate:
        out.date = r.Chance(0.5) ? ExactDate(y, m) : ExactDate(y);
        break;
    case kModified: {
        static constexpr int kMods[] = {kBefore, kSay, kCirca, kAfter};
        if (mod < 0)
            mod = kMods[r.Below(4)];
        out.date = RegularDate({y, r.Chance(0.3) ? m : 0, 0}, mod);
        break;
    }
    case kRange: {
        if (mod < 0)
            mod = r.Range(kBetween, kFromTo);
        int y2 = mod == kOr ? y + 1 : y + r.Range(1, 5);
        out.date = RegularDate({y, r.Chance(0.3) ? m : 0, 0}, mod, {y2, 0, 0});
        break;
    }
    case kQuestion:
        out.date = RegularDate({y, m, d}, kExact, {}, true);
        break;
    case kIrregularDate: {
        std::string text = Str(r.Pick(IrregularDateTexts()));
        if (r.Chance(0.5))
            text += " " + std::to_string(y);
        out.date = IrregularDate(text);
        // Irregular dates sort by an estimate when the user gave one.
        out.sort = r.Chance(0.6) ? ExactDate(y) : "";
        return out;
    }
    default:
        out.date = r.Chance(0.5) ? "" : Str(kEmptyDate);
        out.sort = r.Chance(0.5) ? "" : Str(kEmptyDate);
        out.year = 0;
        return out;
    }
    if (Rare(r, 0.03))
        out.sort = ""; // never computed
    else if (Rare(r, 0.02))
        out.sort = ExactDate(y + 1); // stale
    else
        out.sort = out.date;
    return out;
}

// ---------------------------------------------------------------------------------------------
// Places, repositories, sources

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

// ---------------------------------------------------------------------------------------------
// Records shared by the family code

void Generator::Cite(DatasetContext& ds, Rng& r, char type, int refRec, int sequence,
                     bool deleted) {
    CitationRec c;
    c.recNo = ++citation_;
    c.dsid = ds.info.dsid;
    c.type = type;
    c.refRec = refRec;
    c.source = ds.sourceFirst + r.Below(ds.sourceCount);
    double u = r.Unit();
    int page = r.Range(1, 400);
    if (u < 0.15)
        c.detail = "";
    else if (u < 0.55)
        c.detail = "p. " + std::to_string(page);
    else if (u < 0.8)
        c.detail = "p. " + std::to_string(page) + "||entry " + std::to_string(r.Range(1, 60));
    else if (u < 0.92)
        c.detail = "vol. " + std::to_string(r.Range(1, 9)) + "||p. " + std::to_string(page) +
                   "||line " + std::to_string(r.Range(1, 40));
    else
        c.detail = "Film " + std::to_string(r.Range(100000, 999999)) + "||item 3";
    c.sureties = RandomSureties(r);
    c.sequence = sequence;
    c.exclude = Rare(r, 0.02);
    c.picked = false;
    if (Rare(r, 0.05))
        c.memo = "Transcription: \"the said child was baptised\".";
    if (r.Chance(0.1))
        c.reference = "C" + std::to_string(c.recNo);
    c.deleted = deleted;
    w_.Write(c);
}

void Generator::MaybeCite(Clan& c, char type, int refRec, double chance) {
    if (!c.rng.Chance(chance))
        return;
    int n = c.rng.Chance(0.2) ? 2 : 1;
    for (int i = 1; i <= n; ++i)
        Cite(c.ds, c.rng, type, refRec, i, false);
}

int Generator::WriteEvent(Clan& c, int type, int per1, int per2, const Dated& d, std::string memo) {
    Rng& r = c.rng;
    EventRec e;
    e.recNo = ++eventRec_;
    e.dsid = c.ds.info.dsid;
    e.type = type;
    e.per1 = per1;
    e.per2 = per2;
    e.date = d.date;
    e.sortDate = d.sort;
    e.place = RandomPlace(c.ds, r);
    e.sureties = RandomSureties(r);
    e.per2Show = per2 != 0;
    if (memo.empty() && r.Chance(0.08))
        memo = "Recorded in the family papers.";
    if (Rare(r, 0.01))
        memo += " [HID:]Informant not reliable.[:HID]";
    if (Rare(r, 0.01))
        memo += " [ITAL:]sic[:ITAL]";
    e.memo = memo;
    if (Rare(r, 0.01))
        e.sentence = "[L=ENGLISH][P] <was|and [PO] were> recorded as present <[D]> <[L]>"
                     "[L=GERMAN][P] <war|und [PO] waren> <[D]> <[L]> anwesend";
    if (c.ds.second)
        e.refId = c.ds.nextEventRef++; // kept from the import
    w_.Write(e);
    MaybeCite(c, 'E', e.recNo, 0.5);
    if (Rare(r, 0.01))
        WriteEventExhibit(c, e.recNo, type, per1, per2);
    if (Rare(r, 0.002))
        WriteResearchLog(c.ds, r, 'E', e.recNo, per1, per2, type, "Confirm the date");
    return e.recNo;
}

void Generator::WriteParticipant(Clan& c, int perNo, int event, bool primary,
                                 const std::string& role, int nameRec, bool deleted) {
    ParticipantRec p;
    p.perNo = perNo;
    p.event = event;
    p.dsid = c.ds.info.dsid;
    p.primary = primary;
    p.role = role;
    p.nameRec = c.rng.Chance(0.9) ? nameRec : 0;
    p.deleted = deleted;
    w_.Write(p);
}

void Generator::WriteEventExhibit(Clan& c, int event, int type, int per1, int per2) {
    ExhibitRec e;
    e.id = ++exhibit_;
    e.dsid = c.ds.info.dsid;
    e.ownerType = 'G';
    e.ownerNum = event;
    e.per1 = per1;
    e.per2 = per2;
    e.eventType = type;
    e.event = event;
    e.name = "Certificate";
    e.imageFile = "Documents\\event" + std::to_string(event) + ".jpg";
    e.description = "Scan of the original record.";
    w_.Write(e);
}

void Generator::WriteResearchLog(DatasetContext& ds, Rng& r, char ownerType, int owner, int per1,
                                 int per2, int eventType, const std::string& what) {
    ResearchLogRec l;
    l.dsid = ds.info.dsid;
    l.ownerType = ownerType;
    l.ownerNum = owner;
    l.per1 = per1;
    l.per2 = per2;
    l.eventType = eventType;
    l.task = what;
    int y = r.Range(2001, 2023), m = r.Range(1, 12), d = r.Range(1, 28);
    l.designed = ShortLogDate(y, m, d);
    l.edited = ShortLogDate(y, m, d);
    if (r.Chance(0.7))
        l.begun = ShortLogDate(y, m, std::min(28, d + 1));
    if (r.Chance(0.5))
        l.progress = ShortLogDate(y + 1, m, d);
    if (r.Chance(0.4))
        l.completed = ShortLogDate(y + 1, m, std::min(28, d + 2));
    if (r.Chance(0.3))
        l.planned = ShortLogDate(y + 2, 1, 1);
    l.expenses = r.Below(5000) / 100.0;
    l.comments = "Check the index$!&Order a copy$!&Transcribe$!&";
    if (r.Chance(0.3))
        l.note = "Ask at the archive about restricted records.";
    l.keywords = "research, " + std::string(1, ownerType == '_' ? 'p' : 'r');
    l.reference = "RL-" + std::to_string(owner);
    if (ownerType == '_')
        l.person = owner;
    if (ownerType == 'E')
        l.event = owner;
    if (ownerType == 'M')
        l.source = owner;
    if (ownerType == 'R')
        l.repository = owner;
    w_.Write(l);
}

// ---------------------------------------------------------------------------------------------
// Families

void Generator::WriteFamilies(DatasetContext& ds) {
    int64_t clan = 0;
    while (ds.remaining > 0) {
        Rng r =
            Rng::For(o_.seed, static_cast<uint64_t>(ds.info.dsid), 2, static_cast<uint64_t>(clan));
        size_t target = static_cast<size_t>(r.Range(6, 60));
        WriteClan(ds, clan++, target);
    }
}

void Generator::WriteClan(DatasetContext& ds, int64_t clanIndex, size_t target) {
    Clan c{
        ds,
        Rng::For(o_.seed, static_cast<uint64_t>(ds.info.dsid), 3, static_cast<uint64_t>(clanIndex)),
        {},
        target,
        3};
    c.maxGeneration = c.rng.Range(2, 5);
    c.members.reserve(target + 4);
    int founderYear = c.rng.Range(1650, 1960);
    Surname sn = RandomSurname(c.rng);
    int husband = NewPerson(c, 'M', founderYear, sn, 0, 0, 0, false);
    if (c.Full())
        return;
    int wife =
        NewPerson(c, 'F', founderYear + c.rng.Range(-3, 6), RandomSurname(c.rng), 0, 0, 0, true);
    std::vector<std::pair<int, int>> couples;
    Marry(c, husband, wife, couples);
    for (size_t i = 0; i < couples.size() && !c.Full(); ++i) {
        auto [h, w] = couples[i];
        int year = std::max(c.members[h].birthYear, c.members[w].birthYear) + c.rng.Range(19, 28);
        HaveChildren(c, h, w, year, couples);
    }
    // A few people of the family are in a focus group, on a timeline or marked as not the
    // same person as a relative.
    for (size_t i = 0; i < c.members.size(); ++i) {
        const Member& m = c.members[i];
        if (Rare(c.rng, 0.01))
            w_.Write(GroupMemberRec{1 + m.perNo % 3, m.perNo, ds.info.dsid, false});
        if (Rare(c.rng, 0.002))
            w_.Write(TimelineLockRec{m.perNo, ds.info.dsid, c.rng.Chance(0.5) ? "US.TL" : "UK.TL"});
        if (i > 0 && Rare(c.rng, 0.002))
            w_.Write(ExcludedPairRec{ds.info.dsid, c.members[i - 1].perNo, m.perNo});
    }
}

void Generator::AddNames(Clan& c, Member& m, const Surname& sn) {
    Rng& r = c.rng;
    NameParts& p = m.name;
    auto given = [&]() {
        if (m.sex == 'M')
            return Str(r.Pick(MaleGivenNames()));
        if (m.sex == 'F')
            return Str(r.Pick(FemaleGivenNames()));
        return Str(r.Chance(0.5) ? r.Pick(MaleGivenNames()) : r.Pick(FemaleGivenNames()));
    };
    p[kGiven] = given();
    if (r.Chance(0.2))
        p[kGiven] += " " + given();
    p[kSurname] = sn.sur;
    p[kPreSurname] = sn.pre;
    if (!sn.pre.empty() && r.Chance(0.5))
        p[kSortSurname] = sn.sur;
    if (Rare(r, 0.02))
        p[kTitle] = Str(r.Pick(Titles()));
    if (m.sex == 'M' && Rare(r, 0.04))
        p[kSuffix] = Str(r.Pick(Suffixes()));
    if (Rare(r, 0.02))
        p[kOtherName] = Str(r.Pick(Nicknames()));
    if (Rare(r, 0.005))
        p[kPrefix] = "Lord";
    // A few names miss parts or carry text TMG hides from output.
    if (Rare(r, 0.01)) {
        p[kGiven].clear();
    } else if (Rare(r, 0.005)) {
        p[kSurname].clear();
        p[kPreSurname].clear();
        p[kSortSurname].clear();
    } else if (Rare(r, 0.005)) {
        p[kGiven] += " {Jack}";
    } else if (Rare(r, 0.003) && !p[kSurname].empty()) {
        p[kSurname] = "--" + p[kSurname];
    }

    NameRec n;
    n.recNo = m.nameRec;
    n.perNo = m.perNo;
    n.dsid = c.ds.info.dsid;
    n.type = kTagNameVar;
    n.primary = true;
    n.styleId = c.ds.second && r.Chance(0.5) ? kStyleNameSecondDataset
                : Rare(r, 0.06)              ? kStyleNameStandardCopy
                : Rare(r, 0.04)              ? kStyleNameTitleLast
                                             : kStyleNameStandard;
    n.parts = p;
    n.date = r.Chance(0.5) ? "" : Str(kEmptyDate);
    n.sortDate = n.date;
    n.inferSurname = m.father != 0 && r.Chance(0.5);
    n.nameSure = "  0123"[r.Below(6)];
    n.personRefId = m.refId;
    n.personBirth = m.birthSort;
    n.personDeath = m.deathSort;
    n.lastEdit = lastEdit_;
    if (Rare(r, 0.005))
        n.sentence = "[L=ENGLISH][P] was known in the village as [N]"
                     "[L=GERMAN][P] war im Dorf bekannt als [N]";
    if (Rare(r, 0.02))
        n.note = "Spelling varies between records.";
    w_.Write(n);
    MaybeCite(c, 'N', n.recNo, 0.2);

    // Other names: variants, nicknames, a standardised surname; and old names TMG deleted,
    // some of them once primary.
    auto extra = [&](int type, NameParts parts, bool deleted, bool primary) {
        NameRec x = n;
        x.recNo = ++nameRec_;
        x.type = type;
        x.primary = primary;
        x.parts = std::move(parts);
        x.sentence.clear();
        x.note.clear();
        x.deleted = deleted;
        w_.Write(x);
    };
    if (Rare(r, 0.03)) {
        NameParts v = p;
        if (!v[kSurname].empty())
            v[kSurname] += v[kSurname].back() == 'e' ? "" : "e";
        extra(kTagNameVar, v, false, false);
    }
    if (Rare(r, 0.01)) {
        NameParts v = p;
        v[kGiven] = Str(r.Pick(Nicknames()));
        extra(kTagNameNick, v, false, false);
    }
    if (o_.layout == TmgLayout::Current && Rare(r, 0.005)) {
        NameParts v = p;
        v[kSurname] = "Smith";
        v[kPreSurname].clear();
        extra(kTagNameStd, v, false, false);
    }
    if (Rare(r, 0.01))
        extra(kTagNameVar, p, true, r.Chance(0.5));
}

int Generator::NewPerson(Clan& c, char sex, int birthYear, const Surname& sn, int father,
                         int mother, int generation, bool outsider) {
    Rng& r = c.rng;
    DatasetContext& ds = c.ds;
    --ds.remaining;
    Member m;
    m.perNo = ++perNo_;
    m.refId = NextPersonRef(ds, r);
    m.sex = Rare(r, 0.02) ? '?' : sex;
    m.birthYear = std::min(birthYear, kThisYear - 1);
    m.father = father;
    m.mother = mother;
    m.generation = generation;
    m.outsider = outsider;
    m.nameRec = ++nameRec_;
    int age = kThisYear - m.birthYear;
    bool dies = age > 100 ? r.Chance(0.95) : r.Chance(std::max(0.05, age / 110.0));
    if (dies) {
        int span = r.Chance(0.08) ? r.Range(0, 4) : r.Range(18, 95);
        m.deathYear = std::min(m.birthYear + span, kThisYear - 1);
    }
    c.members.push_back(m);
    int index = static_cast<int>(c.members.size()) - 1;
    WritePersonEvents(c, index);

    Member& me = c.members[index];
    AddNames(c, me, sn);

    PersonRec p;
    p.perNo = me.perNo;
    p.dsid = ds.info.dsid;
    p.refId = me.refId;
    p.father = father ? c.members[father - 1].perNo : 0;
    p.mother = mother ? c.members[mother - 1].perNo : 0;
    p.sex = me.sex;
    // Living: "N" with a death, "Y" for the young, "?" where nobody decided.
    if (me.deathYear)
        p.living = r.Chance(0.9) ? 'N' : '?';
    else if (age < 90)
        p.living = r.Chance(0.8) ? 'Y' : '?';
    else
        p.living = r.Chance(0.7) ? '?' : 'N';
    p.birth = me.birthSort;
    p.death = me.deathSort;
    if (r.Chance(0.1))
        p.reference = "R" + std::to_string(me.refId);
    if (father && r.Chance(0.2))
        p.birthOrder = std::to_string(r.Range(1, 9));
    p.adopted = '?';
    p.anceInt = "00001230"[r.Below(8)];
    p.descInt = "00000123"[r.Below(8)];
    p.lastEdit = lastEdit_;
    for (const CustomFlag& f : CustomFlags())
        p.flags.push_back(f.values[0]);
    if (r.Chance(0.2))
        p.flags[0] = 'Y';
    w_.Write(p);

    WritePersonExhibits(c, me);
    if (Rare(r, 0.004))
        WriteDna(c, me);
    if (Rare(r, 0.005))
        WriteResearchLog(ds, r, '_', me.perNo, 0, 0, 0, "Find more about " + FullName(me.name));
    return index;
}

void Generator::WritePersonEvents(Clan& c, int index) {
    Rng& r = c.rng;
    auto per = [&]() -> Member& { return c.members[index]; };
    int perNo = per().perNo;
    int nameRec = per().nameRec;
    // An adult of the family who is not this person or a parent: godparents, witnesses.
    auto relative = [&]() -> const Member* {
        for (int tries = 0; tries < 4 && c.members.size() > 1; ++tries) {
            const Member& m = c.members[r.Below(static_cast<int>(c.members.size()))];
            if (m.perNo != perNo && m.birthYear + 16 < per().birthYear &&
                m.perNo != (per().father ? c.members[per().father - 1].perNo : -1) &&
                m.perNo != (per().mother ? c.members[per().mother - 1].perNo : -1))
                return &m;
        }
        return nullptr;
    };

    // Birth: most people have one; a few have a second, not primary, with another date.
    bool hasBirth = false;
    if (r.Chance(0.9)) {
        hasBirth = true;
        Dated d = MakeDate(r, per().birthYear);
        int g = WriteEvent(c, kTagBirth, perNo, 0, d);
        WriteParticipant(c, perNo, g, true, kRolePrincipal, nameRec);
        if (per().mother && r.Chance(0.1))
            WriteParticipant(c, c.members[per().mother - 1].perNo, g, false, kRoleMother,
                             c.members[per().mother - 1].nameRec);
        per().birthSort = d.sort;
        if (Rare(r, 0.03)) {
            int g2 = WriteEvent(c, kTagBirth, perNo, 0, MakeDate(r, per().birthYear + 1));
            WriteParticipant(c, perNo, g2, false, kRolePrincipal, nameRec);
        }
    }
    // Baptism or christening with a godparent, some with their own sentence.
    if (r.Chance(0.25)) {
        int type = r.Chance(0.5) ? kTagBaptism : kTagChristening;
        Dated d = MakeDate(r, per().birthYear);
        int g = WriteEvent(c, type, perNo, 0, d);
        // One primary event per group: a baptism stands for the birth only when there is none.
        WriteParticipant(c, perNo, g, !hasBirth, kRolePrincipal, nameRec);
        if (!hasBirth)
            per().birthSort = d.sort;
        hasBirth = true;
        if (const Member* god = relative()) {
            ParticipantRec p;
            p.perNo = god->perNo;
            p.event = g;
            p.dsid = c.ds.info.dsid;
            p.role = kRoleGodparent;
            p.nameRec = god->nameRec;
            p.sequence = 1;
            if (Rare(r, 0.2))
                p.sentence = "[L=ENGLISH][W] stood as godparent for [P] <[D]>"
                             "[L=GERMAN][W] war Pate von [P] <[D]>";
            if (Rare(r, 0.1))
                p.memo = "Named in the register as sponsor.";
            p.deleted = Rare(r, 0.01);
            w_.Write(p);
        }
    }
    if (!hasBirth && r.Chance(0.2))
        per().birthSort = Str(kEmptyDate);
    if (per().deathYear) {
        Dated d = MakeDate(r, per().deathYear);
        int g = WriteEvent(c, kTagDeath, perNo, 0, d);
        WriteParticipant(c, perNo, g, true, kRolePrincipal, nameRec);
        if (per().father && r.Chance(0.2))
            WriteParticipant(c, c.members[per().father - 1].perNo, g, false, kRoleInformant,
                             c.members[per().father - 1].nameRec);
        per().deathSort = d.sort;
        if (r.Chance(0.7)) {
            int b = WriteEvent(c, kTagBurial, perNo, 0, MakeDate(r, per().deathYear));
            WriteParticipant(c, perNo, b, true, kRolePrincipal, nameRec);
        }
        if (Rare(r, 0.03)) {
            int wl = WriteEvent(c, kTagWill, perNo, 0, MakeDate(r, per().deathYear - 1));
            WriteParticipant(c, perNo, wl, true, kRolePrincipal, nameRec);
            int pr = WriteEvent(c, kTagProbate, perNo, 0, MakeDate(r, per().deathYear));
            WriteParticipant(c, perNo, pr, true, kRolePrincipal, nameRec);
        }
        if (o_.layout == TmgLayout::Current && per().deathYear > 1900 && Rare(r, 0.03)) {
            int ob = WriteEvent(c, kTagObituary, perNo, 0, MakeDate(r, per().deathYear),
                                "Published in the local newspaper.");
            WriteParticipant(c, perNo, ob, true, kRolePrincipal, nameRec);
        }
    }
    int adult = per().birthYear + r.Range(18, 40);
    if (adult < kThisYear && (!per().deathYear || adult < per().deathYear)) {
        if (r.Chance(0.15)) {
            int g = WriteEvent(c, kTagOccupation, perNo, 0, MakeDate(r, adult),
                               Str(r.Pick(Occupations())));
            WriteParticipant(c, perNo, g, true, kRolePrincipal, nameRec);
        }
        if (r.Chance(0.1)) {
            int g = WriteEvent(c, kTagResidence, perNo, 0, MakeDate(r, adult));
            WriteParticipant(c, perNo, g, true, kRolePrincipal, nameRec);
            if (const Member* m = relative())
                WriteParticipant(c, m->perNo, g, false, kRoleWitness, m->nameRec);
        }
        if (r.Chance(0.05)) {
            int g = WriteEvent(c, kTagCensus, perNo, 0, MakeDate(r, adult - adult % 10));
            WriteParticipant(c, perNo, g, true, kRolePrincipal, nameRec);
            if (const Member* m = relative())
                WriteParticipant(c, m->perNo, g, false, kRoleMember, m->nameRec);
        }
        if (per().sex == 'M' && Rare(r, 0.03)) {
            int g = WriteEvent(c, kTagMilitaryBegin, perNo, 0,
                               MakeDate(r, per().birthYear + r.Range(18, 25)));
            WriteParticipant(c, perNo, g, true, kRolePrincipal, nameRec);
        }
        if (Rare(r, 0.02)) {
            int g = WriteEvent(c, kTagEmigration, perNo, 0, MakeDate(r, adult));
            WriteParticipant(c, perNo, g, true, kRolePrincipal, nameRec);
            int i = WriteEvent(c, kTagImmigration, perNo, 0, MakeDate(r, adult));
            WriteParticipant(c, perNo, i, true, kRolePrincipal, nameRec);
        }
        if (c.ds.second && o_.layout == TmgLayout::Current && Rare(r, 0.05)) {
            int g = WriteEvent(c, kTagShipArrival, perNo, 0, MakeDate(r, adult));
            WriteParticipant(c, perNo, g, true, kRolePrincipal, nameRec);
        }
    }
    if (Rare(r, 0.04)) {
        int g = WriteEvent(c, kTagNote, perNo, 0, Dated{},
                           "Family tradition says the family came from Ireland.");
        WriteParticipant(c, perNo, g, true, kRolePrincipal, nameRec);
    }
    // An event TMG deleted, with its participant row.
    if (Rare(r, 0.005)) {
        EventRec e;
        e.recNo = ++eventRec_;
        e.dsid = c.ds.info.dsid;
        e.type = kTagResidence;
        e.per1 = perNo;
        e.date = ExactDate(per().birthYear + 20);
        e.sortDate = e.date;
        e.deleted = true;
        w_.Write(e);
        WriteParticipant(c, perNo, e.recNo, true, kRolePrincipal, nameRec, true);
    }
}

void Generator::WriteMarriedName(Clan& c, const Member& wife, const Member& husband,
                                 const Dated& when) {
    NameRec n;
    n.recNo = ++nameRec_;
    n.perNo = wife.perNo;
    n.dsid = c.ds.info.dsid;
    n.type = kTagNameMarr;
    n.styleId = kStyleNameStandard;
    n.parts = wife.name;
    n.parts[kSurname] = husband.name[kSurname];
    n.parts[kPreSurname] = husband.name[kPreSurname];
    n.parts[kSortSurname] = husband.name[kSortSurname];
    n.parts[kSuffix].clear();
    n.date = when.date;
    n.sortDate = when.sort;
    n.personRefId = wife.refId;
    n.personBirth = wife.birthSort;
    n.personDeath = wife.deathSort;
    n.lastEdit = lastEdit_;
    w_.Write(n);
}

void Generator::Marry(Clan& c, int a, int b, std::vector<std::pair<int, int>>& couples) {
    Rng& r = c.rng;
    int h = c.members[a].sex == 'F' ? b : a;
    int wf = h == a ? b : a;
    Member& husband = c.members[h];
    Member& wife = c.members[wf];
    ++husband.spouses;
    ++wife.spouses;
    int year = std::max(husband.birthYear, wife.birthYear) + r.Range(18, 30);
    if (r.Chance(0.85) && year < kThisYear) {
        Dated d = MakeDate(r, year);
        bool wifeFirst = r.Chance(0.2);
        int per1 = wifeFirst ? wife.perNo : husband.perNo;
        int per2 = wifeFirst ? husband.perNo : wife.perNo;
        int g = WriteEvent(c, kTagMarriage, per1, per2, d);
        bool roles = r.Chance(0.1);
        WriteParticipant(c, husband.perNo, g, true, roles ? kRoleHusband : kRolePrincipal,
                         husband.nameRec);
        WriteParticipant(c, wife.perNo, g, true, roles ? kRoleWife : kRolePrincipal, wife.nameRec);
        if (r.Chance(0.5)) {
            for (int parent : {husband.father, wife.father}) {
                if (!parent || !r.Chance(0.6))
                    continue;
                const Member& p = c.members[parent - 1];
                WriteParticipant(c, p.perNo, g, false, kRoleWitness, p.nameRec, Rare(r, 0.02));
            }
        }
        if (Rare(r, 0.05) && husband.father) {
            const Member& p = c.members[husband.father - 1];
            WriteParticipant(c, p.perNo, g, false, kRoleOfficiant, p.nameRec);
        }
        if (r.Chance(0.7) && !wife.name[kGiven].empty() && !husband.name[kSurname].empty())
            WriteMarriedName(c, wife, husband, d);
        if (Rare(r, 0.03)) {
            int bann =
                WriteEvent(c, kTagMarriageBann, husband.perNo, wife.perNo, MakeDate(r, year));
            // The marriage is the couple's primary event of the group, not the bann.
            WriteParticipant(c, husband.perNo, bann, false, kRolePrincipal, husband.nameRec);
            WriteParticipant(c, wife.perNo, bann, false, kRolePrincipal, wife.nameRec);
        }
        if (Rare(r, 0.03) && year + 5 < kThisYear) {
            int div = WriteEvent(c, kTagDivorce, husband.perNo, wife.perNo,
                                 MakeDate(r, year + r.Range(2, 15)));
            WriteParticipant(c, husband.perNo, div, true, kRolePrincipal, husband.nameRec);
            WriteParticipant(c, wife.perNo, div, true, kRolePrincipal, wife.nameRec);
        }
    }
    // Couples without a marriage event still have children.
    couples.emplace_back(h, wf);
}

void Generator::LinkParent(Clan& c, int child, int parent, int type, bool primary) {
    ParentLinkRec f;
    f.recNo = ++parentRec_;
    f.dsid = c.ds.info.dsid;
    f.child = c.members[child].perNo;
    f.parent = c.members[parent].perNo;
    f.type = type;
    f.primary = primary;
    f.parentSure = "  -0123"[c.rng.Below(7)];
    if (Rare(c.rng, 0.02))
        f.note = "Relationship stated in the will.";
    w_.Write(f);
    MaybeCite(c, 'F', f.recNo, 0.05);
}

void Generator::HaveChildren(Clan& c, int husband, int wife, int marriageYear,
                             std::vector<std::pair<int, int>>& couples) {
    Rng& r = c.rng;
    static constexpr int kWeights[] = {10, 15, 20, 20, 15, 10, 6, 4}; // 0 to 7 children
    int roll = r.Below(100), children = 0;
    while (children < 7 && roll >= kWeights[children])
        roll -= kWeights[children++];
    int year = marriageYear + r.Range(0, 2);
    for (int i = 0; i < children && !c.Full(); ++i) {
        if (year >= kThisYear || year - c.members[wife].birthYear > 46)
            break;
        bool unknownFather = Rare(r, 0.02);
        const Member& namer = c.members[unknownFather ? wife : husband];
        Surname sn{namer.name[kPreSurname], namer.name[kSurname]};
        int generation = std::max(c.members[husband].generation, c.members[wife].generation) + 1;
        char sex = r.Chance(0.5) ? 'M' : 'F';
        int child = NewPerson(c, sex, year, sn, unknownFather ? 0 : husband + 1, wife + 1,
                              generation, false);
        // Parent links: primary biological ones, now and then an adoption, a step-parent, a
        // link of the general parent type, and a deleted link to a wrong father.
        if (!unknownFather) {
            bool adopted = Rare(r, 0.03);
            LinkParent(c, child, husband, adopted ? kTagFatherAdopted : kTagFatherBiological, true);
        }
        LinkParent(c, child, wife, kTagMotherBiological, true);
        if (Rare(r, 0.02)) {
            for (size_t k = 0; k < c.members.size(); ++k) {
                const Member& m = c.members[k];
                if (m.sex == 'M' && static_cast<int>(k) != husband && m.birthYear + 18 < year) {
                    LinkParent(c, child, static_cast<int>(k), kTagFatherStep, false);
                    break;
                }
            }
        }
        if (Rare(r, 0.01))
            LinkParent(c, child, wife, kTagParentBiological, false);
        if (Rare(r, 0.01)) {
            ParentLinkRec f;
            f.recNo = ++parentRec_;
            f.dsid = c.ds.info.dsid;
            f.child = c.members[child].perNo;
            f.parent = c.members[0].perNo;
            f.type = kTagFatherBiological;
            f.primary = true;
            f.deleted = true;
            w_.Write(f);
        }
        // Grown children marry someone from outside the family.
        // (Copies: adding people moves the members.)
        const char kidSex = c.members[child].sex;
        const int kidBirth = c.members[child].birthYear, kidDeath = c.members[child].deathYear;
        const int kidGeneration = c.members[child].generation;
        if (kidSex != '?' && kidGeneration < c.maxGeneration && !c.Full() &&
            kidBirth + 20 < kThisYear && (!kidDeath || kidDeath > kidBirth + 20) &&
            r.Chance(0.65)) {
            char other = kidSex == 'M' ? 'F' : 'M';
            int spouse = NewPerson(c, other, kidBirth + r.Range(-5, 5), RandomSurname(r), 0, 0,
                                   kidGeneration, true);
            Marry(c, child, spouse, couples);
            // Some marry twice.
            if (Rare(r, 0.04) && !c.Full()) {
                int second = NewPerson(c, other, kidBirth + r.Range(-5, 10), RandomSurname(r), 0, 0,
                                       kidGeneration, true);
                Marry(c, child, second, couples);
            }
        }
        year += r.Range(1, 4);
    }
}

void Generator::WritePersonExhibits(Clan& c, const Member& m) {
    Rng& r = c.rng;
    if (!Rare(r, 0.03))
        return;
    std::string name = FullName(m.name);
    ExhibitRec e;
    e.id = ++exhibit_;
    e.dsid = c.ds.info.dsid;
    e.ownerType = '_';
    e.ownerNum = m.perNo;
    e.person = m.perNo;
    e.name = Cut("Portrait of " + name, 30);
    e.imageFile = "Photos\\person" + std::to_string(m.perNo) + ".jpg";
    e.thumb = "Photos\\Thumbs\\person" + std::to_string(m.perNo) + ".jpg";
    e.primary = true;
    e.sortOrder = 1;
    if (Rare(r, 0.2)) {
        // An image map over the picture, kept in hidden text of the description.
        e.description = "Family group photograph[HID:][QX:]<map name=\"exhibit" +
                        std::to_string(e.id) + "\"><area shape=\"rect\" coords=\"12,30,88,140\" " +
                        "href=\"#p" + std::to_string(m.perNo) + "\" alt=\"" + name + "\" title=\"" +
                        name + "\"></map>[:QX][:HID]";
    } else if (Rare(r, 0.1)) {
        e.description = "[:QX-EMBED-LEFT:]Portrait[QX-MIN-WIDTH=200]";
    } else if (Rare(r, 0.05)) {
        e.description = "caption: Taken about 1900; [:QX-LINK:]";
        e.caption = "Taken about 1900";
    } else if (Rare(r, 0.05)) {
        e.description = "[HID:][:HID]";
    }
    w_.Write(e);
    if (Rare(r, 0.25)) {
        ExhibitRec t = e;
        t.id = ++exhibit_;
        t.primary = false;
        t.sortOrder = 2;
        t.imageFile.clear();
        t.thumb.clear();
        t.description.clear();
        t.caption.clear();
        int k = attachmentCycle_++ % 6; // text files, notes, audio, video
        if (k < 3) {
            t.name = "Letter";
            t.textFile = "Documents\\letter" + std::to_string(m.perNo) + ".txt";
        } else if (k < 4) {
            t.name = "Notes";
            t.text = "Transcribed from the back of the photograph: \"" + name + "\".";
        } else if (k < 5) {
            t.name = "Interview";
            t.audioFile = "Audio\\interview" + std::to_string(m.perNo) + ".mp3";
        } else {
            t.name = "Home movie";
            t.videoFile = "Video\\movie" + std::to_string(m.perNo) + ".mp4";
        }
        w_.Write(t);
    }
}

void Generator::WriteDna(Clan& c, const Member& m) {
    Rng& r = c.rng;
    DnaRec d;
    d.id = ++dna_;
    d.dsid = c.ds.info.dsid;
    d.person = m.perNo;
    d.nameRec = m.nameRec;
    d.kit = "FT" + std::to_string(r.Range(100000, 999999));
    d.type = r.Chance(0.8) ? 'A' : r.Chance(0.5) ? 'D' : 'M';
    if (m.sex == 'M' && r.Chance(0.7)) {
        d.name = "Y-DNA 37 markers";
        d.result = "DYS393=" + std::to_string(r.Range(12, 14)) +
                   ",DYS390=" + std::to_string(r.Range(22, 25)) +
                   ",DYS19=" + std::to_string(r.Range(13, 16)) +
                   ",DYS391=" + std::to_string(r.Range(10, 11)) + ",DYS385a=11,DYS385b=14";
    } else {
        d.name = "mtDNA full sequence";
        d.result = "DateHVR1=2010,R1 16519C,R1 16362C,R2 263G,R2 315.1C,m=H1a";
    }
    d.url = "https://dna.example.org/kit/" + d.kit;
    if (Rare(r, 0.3))
        d.comments = "Matches the documented line.";
    if (Rare(r, 0.2))
        d.description = "Tested through a commercial laboratory.";
    w_.Write(d);
}

// One deleted record in each table of the dataset, the way TMG leaves them behind.
void Generator::WriteDeletedSamples(DatasetContext& ds, Rng& r) {
    int dsid = ds.info.dsid;
    PersonRec p;
    p.perNo = ++perNo_;
    p.dsid = dsid;
    p.refId = ds.nextPersonRef++;
    p.sex = 'M';
    p.lastEdit = lastEdit_;
    for (const CustomFlag& f : CustomFlags())
        p.flags.push_back(f.values[0]);
    p.deleted = true;
    w_.Write(p);
    NameRec n;
    n.recNo = ++nameRec_;
    n.perNo = p.perNo;
    n.dsid = dsid;
    n.type = kTagNameVar;
    n.primary = true;
    n.styleId = kStyleNameStandard;
    n.parts[kGiven] = "Duplicate";
    n.parts[kSurname] = "Entry";
    n.deleted = true;
    w_.Write(n);
    EventRec e;
    e.recNo = ++eventRec_;
    e.dsid = dsid;
    e.type = kTagBirth;
    e.per1 = p.perNo;
    e.date = ExactDate(1900);
    e.deleted = true;
    w_.Write(e);
    ParticipantRec ep;
    ep.perNo = p.perNo;
    ep.event = e.recNo;
    ep.dsid = dsid;
    ep.primary = true;
    ep.role = kRolePrincipal;
    ep.deleted = true;
    w_.Write(ep);
    Cite(ds, r, 'E', e.recNo, 1, true);
    ParentLinkRec f;
    f.recNo = ++parentRec_;
    f.dsid = dsid;
    f.child = p.perNo;
    f.type = kTagFatherBiological;
    f.deleted = true;
    w_.Write(f);
    PlaceRec pl = MakePlace(ds, r, ++place_);
    if (pl.parts[kCity].empty())
        pl.parts[kCity] = "Lost Town"; // so its part rows go too
    pl.deleted = true;
    w_.Write(pl);
    SourceRec s;
    s.majNum = ++source_;
    s.refId = ds.nextSourceRef++;
    s.dsid = dsid;
    s.title = "Withdrawn source";
    s.abbrev = s.title;
    s.deleted = true;
    w_.Write(s);
    w_.Write(RepositoryLinkRec{s.majNum, ds.repoFirst, dsid, "", true, true});
    RepositoryRec rep;
    rep.recNo = ++repo_;
    rep.refId = ds.nextRepoRef++;
    rep.dsid = dsid;
    rep.name = rep.abbrev = "Closed archive";
    rep.deleted = true;
    w_.Write(rep);
    ExhibitRec x;
    x.id = ++exhibit_;
    x.dsid = dsid;
    x.name = "Removed picture";
    x.deleted = true;
    w_.Write(x);
    ResearchLogRec l;
    l.dsid = dsid;
    l.task = "Abandoned task";
    l.deleted = true;
    w_.Write(l);
    DnaRec d;
    d.id = ++dna_;
    d.dsid = dsid;
    d.name = "Withdrawn kit";
    d.deleted = true;
    w_.Write(d);
    w_.Write(TimelineLockRec{p.perNo, dsid, "US.TL", true});
    w_.Write(GroupMemberRec{1, p.perNo, dsid, true});
    w_.Write(ExcludedPairRec{dsid, p.perNo, p.perNo, true});
}

} // namespace

std::vector<int64_t> DatasetQuotas(int64_t people, int datasets) {
    std::vector<int64_t> q(static_cast<size_t>(std::max(datasets, 1)), 0);
    if (people <= 0)
        return q;
    int64_t small = q.size() == 1 ? 0 : std::max<int64_t>(1, people * 15 / 100 / (datasets - 1));
    int64_t rest = people;
    for (size_t i = 1; i < q.size() && rest > 1; ++i) {
        q[i] = std::min(small, rest - 1);
        rest -= q[i];
    }
    q[0] = rest;
    return q;
}

GeneratorResult GenerateProject(const GeneratorOptions& o) {
    GeneratorResult result;
    result.datasets = DefaultDatasets(o.layout == TmgLayout::Old ? 1 : std::max(o.datasets, 1));
    ProjectWriter project(o.pjcPath, o.layout, static_cast<int>(CustomFlags().size()), o.date);
    RecordWriter writer(project);
    ReferenceOptions ref;
    ref.datasets = result.datasets;
    WriteReferenceData(writer, ref);
    Generator(o, writer, result.datasets).Run();
    WriteProjectFiles(project);
    project.Finish();
    result.counts = project.Counts();
    result.files = project.Files();
    return result;
}

} // namespace hk::mktmg
