// Families: couples, their children over several generations, marriages and parent links.
#include "generator_state.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "vocabulary.h"

namespace hk::mktmg::gen {

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

} // namespace hk::mktmg::gen
