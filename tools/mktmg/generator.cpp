#include "generator.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "generator_state.h"
#include "vocabulary.h"

namespace hk::mktmg::gen {

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

} // namespace hk::mktmg::gen

namespace hk::mktmg {

using gen::Generator;

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
    {
        // The writer's dictionaries are not needed by the index builds: gone before them.
        RecordWriter writer(project);
        ReferenceOptions ref;
        ref.datasets = result.datasets;
        WriteReferenceData(writer, ref);
        Generator(o, writer, result.datasets).Run();
    }
    WriteProjectFiles(project);
    project.Finish();
    result.counts = project.Counts();
    result.files = project.Files();
    return result;
}

} // namespace hk::mktmg
