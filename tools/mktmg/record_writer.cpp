#include "record_writer.h"

#include <algorithm>

#include "support/text.h"
#include "tmg_values.h"

namespace hk::mktmg {

// Field lists per table: each name once; a field the layout lacks binds to -1.
#define HK_FIELD_DECL(n) int n = -1;
#define HK_FIELD_BIND(n) n = s->Field(#n);
#define HK_TABLE(Struct, LIST)                                                                     \
    struct Struct {                                                                                \
        TableSink* s = nullptr;                                                                    \
        LIST(HK_FIELD_DECL)                                                                        \
        void Bind(TableSink* sink) {                                                               \
            s = sink;                                                                              \
            if (!s)                                                                                \
                return;                                                                            \
            LIST(HK_FIELD_BIND)                                                                    \
        }                                                                                          \
    };

#define PERSON_FIELDS(X)                                                                           \
    X(PER_NO)                                                                                      \
    X(FATHER) X(MOTHER) X(LAST_EDIT) X(REF_ID) X(REFERENCE) X(SPOULAST) X(PBIRTH) X(PDEATH) X(SEX) \
        X(LIVING) X(BIRTHORDER) X(MULTIBIRTH) X(ADOPTED) X(ANCE_INT) X(DESC_INT) X(RELATE)         \
            X(RELATEFO) X(FLAG1)
#define NAME_FIELDS(X)                                                                             \
    X(NPER)                                                                                        \
    X(ALTYPE) X(NAME) X(ISPICKED) X(INFS) X(INFG) X(PRIMARY) X(NSURE) X(FSURE) X(NNOTE) X(RECNO)   \
        X(SENTENCE) X(NDATE) X(SRTDATE) X(DSURE) X(SRNAMESORT) X(GVNAMESORT) X(STYLEID) X(SURID)   \
            X(GIVID) X(SRNAMEDISP) X(SNDXSURN) X(SNDXGVN) X(PBIRTH) X(PDEATH) X(REFER) X(PREF_ID)  \
                X(LAST_EDIT)
#define PARTVALUE_FIELDS(X) X(RECNO) X(UID) X(TYPE) X(ID)
#define DICTIONARY_FIELDS(X) X(UID) X(VALUE) X(SDX)
#define PLACE_FIELDS(X)                                                                            \
    X(RECNO) X(STYLEID) X(STARTYEAR) X(ENDYEAR) X(COMMENT) X(SHORTPLACE) X(PLACE)
#define EVENT_FIELDS(X)                                                                            \
    X(ETYPE)                                                                                       \
    X(PER1SHOW) X(PER2SHOW) X(PER1) X(PER2) X(EDATE) X(PLACENUM) X(EFOOT) X(ENSURE) X(ESSURE)      \
        X(EDSURE) X(EPSURE) X(EFSURE) X(RECNO) X(SENTENCE) X(SRTDATE) X(REF_ID)
#define PARTICIPANT_FIELDS(X)                                                                      \
    X(EPER) X(GNUM) X(PRIMARY) X(WSENTENCE) X(ROLE) X(NAMEREC) X(WITMEMO) X(SEQUENCE)
#define PARENT_FIELDS(X) X(PRIMARY) X(CHILD) X(PARENT) X(PTYPE) X(PNOTE) X(PSURE) X(FSURE) X(RECNO)
#define CITATION_FIELDS(X)                                                                         \
    X(RECNO)                                                                                       \
    X(STYPE) X(REFREC) X(MAJSOURCE) X(SUBSOURCE) X(SNSURE) X(SSSURE) X(SDSURE) X(SPSURE) X(SFSURE) \
        X(ISPICKED) X(SEQUENCE) X(CITMEMO) X(EXCLUDE) X(CITREF)
#define SOURCE_FIELDS(X)                                                                           \
    X(MACTIVE)                                                                                     \
    X(MAJNUM) X(REF_ID) X(ABBREV) X(DEFSURE) X(TITLE) X(TYPE) X(RECORDER) X(MEDIA) X(FIDELITY)     \
        X(INDEXED) X(STATUS) X(TEXT) X(SPERNO) X(ISPICKED) X(INFO) X(FFORM) X(SFORM) X(BFORM)      \
            X(CITED) X(IBIDTYPE) X(SUBJECTID) X(COMPILERID) X(EDITORID) X(SPERNO2) X(UNCITEDFLD)   \
                X(CUSTTYPE) X(FIRSTCD) X(REMINDERS)
#define REPOSITORY_FIELDS(X)                                                                       \
    X(NAME) X(RECNO) X(REF_ID) X(ABBREV) X(ADDRESS) X(RNOTE) X(RPERNO) X(ISPICKED)
#define REPOLINK_FIELDS(X) X(MNUMBER) X(RNUMBER) X(REFERENCE) X(PRIMARY)
#define EXHIBIT_FIELDS(X)                                                                          \
    X(IDEXHIBIT)                                                                                   \
    X(IDREF) X(RLTYPE) X(RLNUM) X(XNAME) X(VFILENAME) X(IFILENAME) X(AFILENAME) X(TFILENAME)       \
        X(REFERENCE) X(TEXT) X(DESCRIPT) X(RLPER1) X(RLPER2) X(RLGTYPE) X(PRIMARY) X(ID_PERSON)    \
            X(ID_EVENT) X(ID_SOURCE) X(ID_REPOS) X(THUMB) X(ID_CIT) X(ID_PLACE) X(CAPTION)         \
                X(SORTEXH)
#define LOG_FIELDS(X)                                                                              \
    X(RLTYPE)                                                                                      \
    X(RLNUM) X(RLPER1) X(RLPER2) X(RLGTYPE) X(TASK) X(RLEDITED) X(DESIGNED) X(BEGUN) X(PROGRESS)   \
        X(COMPLETED) X(PLANNED) X(EXPENSES) X(COMMENTS) X(RLNOTE) X(KEYWORDS) X(ID_PERSON)         \
            X(ID_EVENT) X(ID_SOURCE) X(ID_REPOS) X(REFERENCE)
#define DNA_FIELDS(X)                                                                              \
    X(ID_DNA)                                                                                      \
    X(ID_PERSON) X(DNANAME) X(COMMENTS) X(DESCRIPT) X(RESULT) X(URL) X(LOGO) X(KITNUMBER) X(TYPE)  \
        X(NAMEREC)
#define TAGTYPE_FIELDS(X)                                                                          \
    X(ISPICKED)                                                                                    \
    X(PICKED) X(ACTIVE) X(ETYPENUM) X(ORIGETYPE) X(ADMIN) X(LDSONLY) X(ETYPENAME) X(GEDCOM_TAG)    \
        X(ISREPORT) X(TSENTENCE) X(SENTENCE) X(ABBREV) X(WITDISP) X(PASTTENSE) X(PRINROLE)         \
            X(WITROLE) X(MAXYEAR) X(MINYEAR) X(PROPERTIES) X(YNDATE) X(YNPLACE) X(YNFOOT)          \
                X(YNNAME)
#define STYLE_FIELDS(X)                                                                            \
    X(STYLEID)                                                                                     \
    X(ST_DISPLAY) X(ST_OUTPUT) X(GROUP) X(SRNAMESORT) X(SRNAMEDISP) X(GVNAMESORT) X(GVNAMEDISP)    \
        X(OTHERDISP) X(STYLENAME)
#define FLAG_FIELDS(X)                                                                             \
    X(FLAGLABEL) X(FLAGFIELD) X(FLAGVALUE) X(SEQUENCE) X(DESCRIPT) X(ACTIVE) X(FLAGID) X(PROPERTY)
#define DATASET_FIELDS(X)                                                                          \
    X(DSID)                                                                                        \
    X(DSNAME) X(DSLOCATION) X(DSTYPE) X(DSLOCKED) X(DSENABLED) X(PROPERTY) X(DCOMMENT)             \
        X(NAMESTYLE) X(PLACESTYLE)
#define PARTTYPE_FIELDS(X) X(ID) X(VALUE) X(SYSTEM) X(TYPE) X(SHORTVALUE) X(TEMPLATE)
#define ELEMENT_FIELDS(X) X(RECNO) X(ELEMENT) X(GROUPNUM)
#define SOURCETYPE_FIELDS(X)                                                                       \
    X(RULESET)                                                                                     \
    X(SOURTYPE) X(TRANS_TO) X(NAME) X(FOOT) X(SHORT) X(BIB) X(CUSTFOOT) X(CUSTSHORT) X(CUSTBIB)    \
        X(SAMEAS) X(SAMEASMSG) X(PRIMARY)
#define FOCUS_FIELDS(X) X(GROUPNUM) X(GROUPNAME) X(RECENT)
#define MEMBER_FIELDS(X) X(GROUPNUM) X(MEMBERNUM)
#define LOCK_FIELDS(X) X(IDLOCK) X(TNAME)
#define PAIR_FIELDS(X) X(PER1) X(PER2)

HK_TABLE(PersonFields, PERSON_FIELDS)
HK_TABLE(NameFields, NAME_FIELDS)
HK_TABLE(PartValueFields, PARTVALUE_FIELDS)
HK_TABLE(DictionaryFields, DICTIONARY_FIELDS)
HK_TABLE(PlaceFields, PLACE_FIELDS)
HK_TABLE(EventFields, EVENT_FIELDS)
HK_TABLE(ParticipantFields, PARTICIPANT_FIELDS)
HK_TABLE(ParentFields, PARENT_FIELDS)
HK_TABLE(CitationFields, CITATION_FIELDS)
HK_TABLE(SourceFields, SOURCE_FIELDS)
HK_TABLE(RepositoryFields, REPOSITORY_FIELDS)
HK_TABLE(RepoLinkFields, REPOLINK_FIELDS)
HK_TABLE(ExhibitFields, EXHIBIT_FIELDS)
HK_TABLE(LogFields, LOG_FIELDS)
HK_TABLE(DnaFields, DNA_FIELDS)
HK_TABLE(TagTypeFields, TAGTYPE_FIELDS)
HK_TABLE(StyleFields, STYLE_FIELDS)
HK_TABLE(FlagFields, FLAG_FIELDS)
HK_TABLE(DatasetFields, DATASET_FIELDS)
HK_TABLE(PartTypeFields, PARTTYPE_FIELDS)
HK_TABLE(ElementFields, ELEMENT_FIELDS)
HK_TABLE(SourceTypeFields, SOURCETYPE_FIELDS)
HK_TABLE(FocusFields, FOCUS_FIELDS)
HK_TABLE(MemberFields, MEMBER_FIELDS)
HK_TABLE(LockFields, LOCK_FIELDS)
HK_TABLE(PairFields, PAIR_FIELDS)

struct TableFields {
    PersonFields person;
    NameFields name;
    PartValueFields npv, ppv;
    DictionaryFields nd, pd;
    PlaceFields place;
    EventFields event;
    ParticipantFields participant;
    ParentFields parent;
    CitationFields citation;
    SourceFields source;
    RepositoryFields repository;
    RepoLinkFields repoLink;
    ExhibitFields exhibit;
    LogFields log;
    DnaFields dna;
    TagTypeFields tagType;
    StyleFields style;
    FlagFields flag;
    DatasetFields dataset;
    PartTypeFields npt, ppt;
    ElementFields element;
    SourceTypeFields sourceType;
    FocusFields focus;
    MemberFields member;
    LockFields lock;
    PairFields pair;
};

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

int RecordWriter::Word(Dictionary& d, const std::string& text, bool deleted) {
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
    f.s->Text(f.SDX, SoundCode(text));
    f.s->End(deleted);
    // Coordinates and other one-off texts would make this map grow with the project;
    // past this size a text is written again rather than remembered.
    constexpr size_t kRemember = 1 << 16;
    if (!deleted && d.uids.size() < kRemember)
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
        s.Text(f.SNDXSURN, SoundCode(p[kSurname]));
    if (!p[kGiven].empty())
        s.Text(f.SNDXGVN, SoundCode(p[kGiven]));
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
            v.s->Int(v.UID, PlaceWord(r.parts[id]));
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

void RecordWriter::Write(const TagTypeRec& r) {
    const TagTypeFields& f = f_->tagType;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Bool(f.ISPICKED, r.picked);
    s.Bool(f.PICKED, r.picked);
    s.Bool(f.ACTIVE, r.active);
    s.Int(f.ETYPENUM, r.number);
    s.Int(f.ORIGETYPE, r.original);
    s.Int(f.ADMIN, r.group);
    s.Bool(f.LDSONLY, r.ldsOnly);
    s.Text(f.ETYPENAME, r.name);
    s.Text(f.GEDCOM_TAG, r.gedcom);
    s.Bool(f.ISREPORT, r.report);
    s.Memo(f.TSENTENCE, r.sentence);
    s.Memo(f.SENTENCE, r.sentence);
    s.Text(f.ABBREV, r.abbrev);
    s.Bool(f.WITDISP, r.witnessDisplay);
    s.Text(f.PASTTENSE, r.pastTense);
    s.Bool(f.PRINROLE, r.principalRole);
    s.Bool(f.WITROLE, r.witnessRole);
    s.Int(f.MAXYEAR, r.maxYear);
    s.Int(f.MINYEAR, r.minYear);
    s.Memo(f.PROPERTIES, r.properties);
    for (int yn : {f.YNDATE, f.YNPLACE, f.YNFOOT, f.YNNAME})
        s.Bool(yn, true);
    s.End(r.deleted);
}

void RecordWriter::Write(const StyleRec& r) {
    const StyleFields& f = f_->style;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Int(f.STYLEID, r.id);
    s.Memo(f.ST_DISPLAY, r.display);
    s.Memo(f.ST_OUTPUT, r.output);
    s.Char(f.GROUP, r.group);
    s.Memo(f.SRNAMESORT, r.surnameSort);
    s.Memo(f.SRNAMEDISP, r.surnameDisplay);
    s.Memo(f.GVNAMESORT, r.givenSort);
    s.Memo(f.GVNAMEDISP, r.givenDisplay);
    s.Memo(f.OTHERDISP, r.other);
    s.Text(f.STYLENAME, r.name);
    s.End(r.deleted);
}

void RecordWriter::Write(const FlagRec& r) {
    const FlagFields& f = f_->flag;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Text(f.FLAGLABEL, r.label);
    s.Text(f.FLAGFIELD, r.field);
    s.Text(f.FLAGVALUE, r.values);
    s.Int(f.SEQUENCE, r.sequence);
    s.Memo(f.DESCRIPT, r.description);
    s.Bool(f.ACTIVE, r.active);
    s.Int(f.FLAGID, r.id);
    s.Memo(f.PROPERTY, r.property);
    s.End(r.deleted);
}

void RecordWriter::Write(const DatasetRec& r) {
    const DatasetFields& f = f_->dataset;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Text(f.DSNAME, r.name);
    s.Text(f.DSLOCATION, r.location);
    s.Int(f.DSTYPE, r.importType);
    s.Bool(f.DSLOCKED, r.locked);
    s.Bool(f.DSENABLED, r.enabled);
    s.Memo(f.PROPERTY, r.property);
    s.Memo(f.DCOMMENT, r.comment);
    s.Int(f.NAMESTYLE, r.nameStyle);
    s.Int(f.PLACESTYLE, r.placeStyle);
    s.End(r.deleted);
}

namespace {

void WritePartType(const PartTypeFields& f, const PartTypeRec& r) {
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Int(f.ID, r.id);
    s.Text(f.VALUE, r.value);
    s.Bool(f.SYSTEM, r.system);
    s.Int(f.TYPE, r.type);
    s.Text(f.SHORTVALUE, r.shortValue);
    s.Text(f.TEMPLATE, r.templateText);
    s.End(r.deleted);
}

} // namespace

void RecordWriter::WriteNamePartType(const PartTypeRec& r) {
    WritePartType(f_->npt, r);
}
void RecordWriter::WritePlacePartType(const PartTypeRec& r) {
    WritePartType(f_->ppt, r);
}

void RecordWriter::Write(const SourceElementRec& r) {
    const ElementFields& f = f_->element;
    if (!f.s)
        return;
    f.s->Begin(r.dsid);
    f.s->Int(f.RECNO, r.recNo);
    f.s->Text(f.ELEMENT, r.element);
    f.s->Int(f.GROUPNUM, r.group);
    f.s->End(r.deleted);
}

void RecordWriter::Write(const SourceTypeRec& r) {
    const SourceTypeFields& f = f_->sourceType;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Int(f.RULESET, r.ruleSet);
    s.Int(f.SOURTYPE, r.type);
    s.Int(f.TRANS_TO, r.translateTo);
    s.Text(f.NAME, r.name);
    s.Memo(f.FOOT, r.foot);
    s.Memo(f.SHORT, r.shortForm);
    s.Memo(f.BIB, r.bib);
    s.Memo(f.CUSTFOOT, r.custFoot);
    s.Memo(f.CUSTSHORT, r.custShort);
    s.Memo(f.CUSTBIB, r.custBib);
    s.Int(f.SAMEAS, r.sameAs);
    s.Memo(f.SAMEASMSG, r.sameAsMessage);
    s.Bool(f.PRIMARY, r.primary);
    s.End(r.deleted);
}

void RecordWriter::Write(const FocusGroupRec& r) {
    const FocusFields& f = f_->focus;
    if (!f.s)
        return;
    f.s->Begin(0);
    f.s->Int(f.GROUPNUM, r.number);
    f.s->Text(f.GROUPNAME, r.name);
    f.s->Bool(f.RECENT, r.recent);
    f.s->End(r.deleted);
}

void RecordWriter::Write(const GroupMemberRec& r) {
    const MemberFields& f = f_->member;
    if (!f.s)
        return;
    f.s->Begin(r.dsid);
    f.s->Int(f.GROUPNUM, r.group);
    f.s->Int(f.MEMBERNUM, r.perNo);
    f.s->End(r.deleted);
}

void RecordWriter::Write(const TimelineLockRec& r) {
    const LockFields& f = f_->lock;
    if (!f.s)
        return;
    f.s->Begin(r.dsid);
    f.s->Int(f.IDLOCK, r.perNo);
    f.s->Text(f.TNAME, r.timeline);
    f.s->End(r.deleted);
}

void RecordWriter::Write(const ExcludedPairRec& r) {
    const PairFields& f = f_->pair;
    if (!f.s)
        return;
    f.s->Begin(r.dsid);
    f.s->Int(f.PER1, r.per1);
    f.s->Int(f.PER2, r.per2);
    f.s->End(r.deleted);
}

} // namespace hk::mktmg
