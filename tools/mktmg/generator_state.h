#pragma once
// The parts of mktmg's generator shared by its source files: the state of one dataset and of
// one family being generated, and the generator itself. Not for use outside the generator.
#include <cstdio>
#include <set>
#include <source_location>
#include <string>
#include <string_view>
#include <vector>

#include "generator.h"
#include "record_writer.h"
#include "rng.h"
#include "tmg_values.h"

namespace hk::mktmg::gen {

// "Now" for living people: fixed, so that output never depends on the clock.
inline constexpr int kThisYear = 2024;

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

inline std::string Str(std::string_view s) {
    return std::string(s);
}

inline std::string Fmt(const char* format, int a, int b = 0, int c = 0) {
    char buf[96];
    std::snprintf(buf, sizeof buf, format, a, b, c);
    return buf;
}

inline std::string Cut(std::string s, size_t n) {
    if (s.size() > n)
        s.resize(n);
    return s;
}

inline std::string FullName(const NameParts& p) {
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

} // namespace hk::mktmg::gen
