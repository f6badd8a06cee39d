#include "record_writer.h"

#include <algorithm>

#include "formats/soundex.h"
#include "record_fields.h"
#include "support/text.h"
#include "tmg_values.h"

namespace hk::mktmg {

namespace {

std::string Joined(std::string_view a, std::string_view sep, std::string_view b) {
    if (a.empty())
        return std::string(b);
    if (b.empty())
        return std::string(a);
    return std::string(a) + std::string(sep) + std::string(b);
}

std::string FullSurname(const NameParts& p) {
    return Joined(p[kPreSurname], " ", p[kSurname]);
}

// The five surety characters of an event or citation, in field order.
void PutSureties(TableSink& s, const Sureties& v, int a, int b, int c, int d, int e) {
    const int fields[5] = {a, b, c, d, e};
    for (int i = 0; i < 5; ++i)
        s.Char(fields[i], v[i]);
}

} // namespace

std::string OldRoleName(const std::string& roleId) {
    return roleId == "00001" ? "Principal" : "Witness";
}

RecordWriter::RecordWriter(ProjectWriter& project)
    : project_(project), layout_(project.Layout()), f_(std::make_unique<TableFields>()) {
    TableFields& f = *f_;
    f.person.Bind(project.Sink("$"));
    f.name.Bind(project.Sink("N"));
    f.npv.Bind(project.Sink("NPV"));
    f.ppv.Bind(project.Sink("PPV"));
    f.nd.Bind(project.Sink("ND"));
    f.pd.Bind(project.Sink("PD"));
    f.place.Bind(project.Sink("P"));
    f.event.Bind(project.Sink("G"));
    f.participant.Bind(project.Sink("E"));
    f.parent.Bind(project.Sink("F"));
    f.citation.Bind(project.Sink("S"));
    f.source.Bind(project.Sink("M"));
    f.repository.Bind(project.Sink("R"));
    f.repoLink.Bind(project.Sink("W"));
    f.exhibit.Bind(project.Sink("I"));
    f.log.Bind(project.Sink("L"));
    f.dna.Bind(project.Sink("DNA"));
    f.tagType.Bind(project.Sink("T"));
    f.style.Bind(project.Sink("ST"));
    f.flag.Bind(project.Sink("C"));
    f.dataset.Bind(project.Sink("D"));
    f.npt.Bind(project.Sink("NPT"));
    f.ppt.Bind(project.Sink("PPT"));
    f.element.Bind(project.Sink("U"));
    f.sourceType.Bind(project.Sink("A"));
    f.focus.Bind(project.Sink("O"));
    f.member.Bind(project.Sink("B"));
    f.lock.Bind(project.Sink("K"));
    f.pair.Bind(project.Sink("XD"));
    names_.sink = f.nd.s;
    places_.sink = f.pd.s;
}

RecordWriter::~RecordWriter() = default;

std::string RecordWriter::SurnameSort(const NameParts& p) {
    const std::string& sur = p[kSortSurname].empty() ? p[kSurname] : p[kSortSurname];
    const std::string& giv = p[kSortGiven].empty() ? p[kGiven] : p[kSortGiven];
    return Joined(Joined(sur, ", ", giv), " ", p[kSuffix]);
}

std::string RecordWriter::GivenSort(const NameParts& p) {
    const std::string& sur = p[kSortSurname].empty() ? p[kSurname] : p[kSortSurname];
    const std::string& giv = p[kSortGiven].empty() ? p[kGiven] : p[kSortGiven];
    return Joined(giv, " ", sur);
}

std::string RecordWriter::SurnameDisplay(const NameParts& p) {
    return Joined(FullSurname(p), ", ", p[kGiven]);
}

int RecordWriter::Word(Dictionary& d, const std::string& text, bool deleted, bool remember) {
    if (!d.sink)
        return 0;
    if (!deleted) {
        auto it = d.uids.find(text);
        if (it != d.uids.end())
            return it->second;
    }
    const DictionaryFields& f = d.sink == f_->nd.s ? f_->nd : f_->pd;
    int uid = d.next++;
    f.s->Begin(0);
    f.s->Int(f.UID, uid);
    f.s->Memo(f.VALUE, text);
    f.s->Text(f.SDX, CSoundex::SoundCode(text));
    f.s->End(deleted);
    // One-off texts would make this map grow with the project; past this size a text is
    // written again rather than remembered.
    constexpr size_t kRemember = 1 << 16;
    if (remember && !deleted && d.uids.size() < kRemember)
        d.uids.emplace(text, uid);
    return uid;
}

int RecordWriter::NameWord(const std::string& text) {
    return Word(names_, text, false);
}
int RecordWriter::PlaceWord(const std::string& text) {
    return Word(places_, text, false);
}
void RecordWriter::DeletedNameWord(const std::string& text) {
    Word(names_, text, true);
}
void RecordWriter::DeletedPlaceWord(const std::string& text) {
    Word(places_, text, true);
}

void RecordWriter::Write(const PersonRec& r) {
    const PersonFields& f = f_->person;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Int(f.PER_NO, r.perNo);
    s.Int(f.FATHER, r.father);
    s.Int(f.MOTHER, r.mother);
    s.Date(f.LAST_EDIT, r.lastEdit);
    s.Int(f.REF_ID, r.refId);
    s.Text(f.REFERENCE, r.reference);
    if (layout_ == TmgLayout::Current)
        s.Int(f.SPOULAST, r.spouseLast);
    s.Text(f.PBIRTH, r.birth);
    s.Text(f.PDEATH, r.death);
    s.Char(f.SEX, r.sex);
    s.Char(f.LIVING, r.living);
    s.Text(f.BIRTHORDER, r.birthOrder);
    s.Char(f.MULTIBIRTH, r.multiBirth);
    s.Char(f.ADOPTED, r.adopted);
    s.Char(f.ANCE_INT, r.anceInt);
    s.Char(f.DESC_INT, r.descInt);
    // FLAG1, FLAG2, ... are the last fields, in order.
    int flags = std::min(static_cast<int>(r.flags.size()), project_.PersonFlags());
    for (int i = 0; f.FLAG1 >= 0 && i < flags; ++i)
        s.Char(f.FLAG1 + i, r.flags[i]);
    s.End(r.deleted);
}

void RecordWriter::Write(const NameRec& r) {
    const NameFields& f = f_->name;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    const NameParts& p = r.parts;
    int surId = 0, givId = 0;
    if (layout_ == TmgLayout::Current) {
        // Part rows first: their dictionary entries give the name its SURID and GIVID.
        const PartValueFields& v = f_->npv;
        for (int id = 0; id < kNamePartCount; ++id) {
            if (p[id].empty())
                continue;
            int uid = NameWord(p[id]);
            if (id == kSurname)
                surId = uid;
            if (id == kGiven)
                givId = uid;
            v.s->Begin(r.dsid);
            v.s->Int(v.RECNO, r.recNo);
            v.s->Int(v.UID, uid);
            v.s->Int(v.TYPE, id + 1);
            v.s->Int(v.ID, id + 1); // the system part type of that field
            v.s->End(r.deleted);
        }
    }
    s.Begin(r.dsid);
    s.Int(f.NPER, r.perNo);
    s.Int(f.ALTYPE, r.type);
    s.Memo(f.NAME, PackParts({p[kSurname], p[kTitle], p[kGiven], p[kSuffix]}));
    s.Bool(f.ISPICKED, false);
    s.Bool(f.INFS, r.inferSurname);
    s.Bool(f.INFG, r.inferGiven);
    s.Bool(f.PRIMARY, r.primary);
    s.Char(f.NSURE, r.nameSure);
    s.Char(f.FSURE, r.fatherSure);
    s.Char(f.DSURE, r.dateSure);
    s.Memo(f.NNOTE, r.note);
    s.Int(f.RECNO, r.recNo);
    s.Memo(f.SENTENCE, r.sentence);
    s.Text(f.NDATE, r.date);
    s.Text(f.SRTDATE, r.sortDate);
    s.Text(f.SRNAMESORT, SurnameSort(p));
    s.Text(f.GVNAMESORT, GivenSort(p));
    s.Int(f.STYLEID, r.styleId);
    s.Int(f.SURID, surId);
    s.Int(f.GIVID, givId);
    s.Text(f.SRNAMEDISP, SurnameDisplay(p));
    if (!p[kSurname].empty())
        s.Text(f.SNDXSURN, CSoundex::SoundCode(p[kSurname]));
    if (!p[kGiven].empty())
        s.Text(f.SNDXGVN, CSoundex::SoundCode(p[kGiven]));
    s.Text(f.PBIRTH, r.personBirth);
    s.Text(f.PDEATH, r.personDeath);
    s.Text(f.REFER, r.personReference);
    s.Int(f.PREF_ID, r.personRefId);
    s.Date(f.LAST_EDIT, r.lastEdit);
    s.End(r.deleted);
}

void RecordWriter::Write(const PlaceRec& r) {
    const PlaceFields& f = f_->place;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    if (layout_ == TmgLayout::Current) {
        const PartValueFields& v = f_->ppv;
        for (int id = 0; id < kPlacePartCount; ++id) {
            if (r.parts[id].empty())
                continue;
            v.s->Begin(r.dsid);
            v.s->Int(v.RECNO, r.recNo);
            // Coordinates are drawn anew for every place and are not looked up again.
            v.s->Int(v.UID, Word(places_, r.parts[id], false, id != kLatLong));
            v.s->Int(v.TYPE, id + 1);
            v.s->Int(v.ID, id + 1);
            v.s->End(r.deleted);
        }
    }
    s.Begin(r.dsid);
    s.Int(f.RECNO, r.recNo);
    s.Int(f.STYLEID, r.styleId);
    s.Text(f.STARTYEAR, r.startYear);
    s.Text(f.ENDYEAR, r.endYear);
    s.Memo(f.COMMENT, r.comment);
    s.Memo(f.SHORTPLACE, r.shortPlace);
    if (f.PLACE >= 0) {
        // The old packed place keeps its parts in part order; trailing empty parts are left out.
        size_t n = kPlacePartCount;
        while (n > 0 && r.parts[n - 1].empty())
            --n;
        s.Memo(f.PLACE, PackParts(std::vector<std::string>(r.parts.begin(), r.parts.begin() + n)));
    }
    s.End(r.deleted);
}

void RecordWriter::Write(const EventRec& r) {
    const EventFields& f = f_->event;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Int(f.ETYPE, r.type);
    s.Bool(f.PER1SHOW, r.per1Show);
    s.Bool(f.PER2SHOW, r.per2Show);
    s.Int(f.PER1, r.per1);
    s.Int(f.PER2, r.per2);
    s.Text(f.EDATE, r.date);
    s.Int(f.PLACENUM, r.place);
    s.Memo(f.EFOOT, r.memo);
    PutSureties(s, r.sureties, f.ENSURE, f.ESSURE, f.EDSURE, f.EPSURE, f.EFSURE);
    s.Int(f.RECNO, r.recNo);
    s.Memo(f.SENTENCE, r.sentence);
    s.Text(f.SRTDATE, r.sortDate);
    s.Int(f.REF_ID, r.refId);
    s.End(r.deleted);
}

void RecordWriter::Write(const ParticipantRec& r) {
    const ParticipantFields& f = f_->participant;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Int(f.EPER, r.perNo);
    s.Int(f.GNUM, r.event);
    s.Bool(f.PRIMARY, r.primary);
    s.Memo(f.WSENTENCE, r.sentence);
    s.Text(f.ROLE, layout_ == TmgLayout::Current ? r.role : OldRoleName(r.role));
    s.Int(f.NAMEREC, r.nameRec);
    s.Memo(f.WITMEMO, r.memo);
    s.Int(f.SEQUENCE, r.sequence);
    s.End(r.deleted);
}

void RecordWriter::Write(const ParentLinkRec& r) {
    const ParentFields& f = f_->parent;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Bool(f.PRIMARY, r.primary);
    s.Int(f.CHILD, r.child);
    s.Int(f.PARENT, r.parent);
    s.Int(f.PTYPE, r.type);
    s.Memo(f.PNOTE, r.note);
    s.Char(f.PSURE, r.parentSure);
    s.Char(f.FSURE, r.memoSure);
    s.Int(f.RECNO, r.recNo);
    s.End(r.deleted);
}

void RecordWriter::Write(const CitationRec& r) {
    const CitationFields& f = f_->citation;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Int(f.RECNO, r.recNo);
    s.Char(f.STYPE, r.type);
    s.Int(f.REFREC, r.refRec);
    s.Int(f.MAJSOURCE, r.source);
    s.Memo(f.SUBSOURCE, r.detail);
    PutSureties(s, r.sureties, f.SNSURE, f.SSSURE, f.SDSURE, f.SPSURE, f.SFSURE);
    s.Bool(f.ISPICKED, r.picked);
    s.Int(f.SEQUENCE, r.sequence);
    s.Memo(f.CITMEMO, r.memo);
    s.Bool(f.EXCLUDE, r.exclude);
    s.Text(f.CITREF, r.reference);
    s.End(r.deleted);
}

void RecordWriter::Write(const SourceRec& r) {
    const SourceFields& f = f_->source;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Bool(f.MACTIVE, r.active);
    s.Int(f.MAJNUM, r.majNum);
    s.Int(f.REF_ID, r.refId);
    s.Text(f.ABBREV, r.abbrev);
    s.Char(f.DEFSURE, r.defaultSurety);
    s.Memo(f.TITLE, r.title);
    s.Int(f.TYPE, r.type);
    s.Int(f.RECORDER, r.recorder);
    s.Int(f.MEDIA, r.media);
    s.Int(f.FIDELITY, r.fidelity);
    s.Int(f.INDEXED, r.indexed);
    s.Int(f.STATUS, 0);
    s.Memo(f.TEXT, r.text);
    s.Int(f.SPERNO, r.author);
    s.Bool(f.ISPICKED, false);
    s.Memo(f.INFO, r.info);
    s.Memo(f.FFORM, r.footTemplate);
    s.Memo(f.SFORM, r.shortTemplate);
    s.Memo(f.BFORM, r.bibTemplate);
    s.Bool(f.CITED, r.cited);
    s.Int(f.IBIDTYPE, r.ibidType);
    s.Int(f.SUBJECTID, r.subject);
    s.Int(f.COMPILERID, r.compiler);
    s.Int(f.EDITORID, r.editor);
    s.Int(f.SPERNO2, r.secondPerson);
    s.Memo(f.UNCITEDFLD, r.uncited);
    s.Int(f.CUSTTYPE, r.custType);
    s.Memo(f.FIRSTCD, r.firstDetail);
    s.Memo(f.REMINDERS, r.reminders);
    s.End(r.deleted);
}

void RecordWriter::Write(const RepositoryRec& r) {
    const RepositoryFields& f = f_->repository;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Memo(f.NAME, r.name);
    s.Int(f.RECNO, r.recNo);
    s.Int(f.REF_ID, r.refId);
    s.Text(f.ABBREV, r.abbrev);
    s.Int(f.ADDRESS, r.address);
    s.Memo(f.RNOTE, r.note);
    s.Int(f.RPERNO, r.perNo);
    s.Bool(f.ISPICKED, false);
    s.End(r.deleted);
}

void RecordWriter::Write(const RepositoryLinkRec& r) {
    const RepoLinkFields& f = f_->repoLink;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Int(f.MNUMBER, r.source);
    s.Int(f.RNUMBER, r.repository);
    s.Text(f.REFERENCE, r.reference);
    s.Bool(f.PRIMARY, r.primary);
    s.End(r.deleted);
}

void RecordWriter::Write(const ExhibitRec& r) {
    const ExhibitFields& f = f_->exhibit;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Int(f.IDEXHIBIT, r.id);
    s.Int(f.IDREF, 0);
    s.Char(f.RLTYPE, r.ownerType);
    s.Int(f.RLNUM, r.ownerNum);
    s.Text(f.XNAME, r.name);
    s.Memo(f.VFILENAME, r.videoFile);
    s.Memo(f.IFILENAME, r.imageFile);
    s.Memo(f.AFILENAME, r.audioFile);
    s.Memo(f.TFILENAME, r.textFile);
    s.Text(f.REFERENCE, r.reference);
    s.Memo(f.TEXT, r.text);
    s.Memo(f.DESCRIPT, r.description);
    s.Int(f.RLPER1, r.per1);
    s.Int(f.RLPER2, r.per2);
    s.Int(f.RLGTYPE, r.eventType);
    s.Bool(f.PRIMARY, r.primary);
    s.Int(f.ID_PERSON, r.person);
    s.Int(f.ID_EVENT, r.event);
    s.Int(f.ID_SOURCE, r.source);
    s.Int(f.ID_REPOS, r.repository);
    s.Memo(f.THUMB, r.thumb);
    s.Int(f.ID_CIT, r.citation);
    s.Int(f.ID_PLACE, r.place);
    s.Memo(f.CAPTION, r.caption);
    s.Int(f.SORTEXH, r.sortOrder);
    s.End(r.deleted);
}

void RecordWriter::Write(const ResearchLogRec& r) {
    const LogFields& f = f_->log;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Char(f.RLTYPE, r.ownerType);
    s.Int(f.RLNUM, r.ownerNum);
    s.Int(f.RLPER1, r.per1);
    s.Int(f.RLPER2, r.per2);
    s.Int(f.RLGTYPE, r.eventType);
    s.Memo(f.TASK, r.task);
    s.Text(f.RLEDITED, r.edited);
    s.Text(f.DESIGNED, r.designed);
    s.Text(f.BEGUN, r.begun);
    s.Text(f.PROGRESS, r.progress);
    s.Text(f.COMPLETED, r.completed);
    s.Text(f.PLANNED, r.planned);
    s.Number(f.EXPENSES, r.expenses);
    s.Memo(f.COMMENTS, r.comments);
    s.Memo(f.RLNOTE, r.note);
    s.Memo(f.KEYWORDS, r.keywords);
    s.Int(f.ID_PERSON, r.person);
    s.Int(f.ID_EVENT, r.event);
    s.Int(f.ID_SOURCE, r.source);
    s.Int(f.ID_REPOS, r.repository);
    s.Text(f.REFERENCE, r.reference);
    s.End(r.deleted);
}

void RecordWriter::Write(const DnaRec& r) {
    const DnaFields& f = f_->dna;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Int(f.ID_DNA, r.id);
    s.Int(f.ID_PERSON, r.person);
    s.Text(f.DNANAME, r.name);
    s.Memo(f.COMMENTS, r.comments);
    s.Memo(f.DESCRIPT, r.description);
    s.Memo(f.RESULT, r.result);
    s.Memo(f.URL, r.url);
    s.Memo(f.LOGO, r.logo);
    s.Text(f.KITNUMBER, r.kit);
    s.Char(f.TYPE, r.type);
    s.Int(f.NAMEREC, r.nameRec);
    s.End(r.deleted);
}

} // namespace hk::mktmg
