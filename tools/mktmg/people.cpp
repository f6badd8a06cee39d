// One person of a family: names, events with witnesses and citations, exhibits and DNA.
#include "generator_state.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "vocabulary.h"

namespace hk::mktmg::gen {

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

} // namespace hk::mktmg::gen
