#pragma once
// The field numbers of every table the record writer fills, resolved once per project: each
// table's field names listed once, a field the layout lacks bound to -1.
#include "project_writer.h"

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

// clang-format off
#define PERSON_FIELDS(X)                                                                           \
    X(PER_NO)                                                                                      \
    X(FATHER)                                                                                      \
    X(MOTHER)                                                                                      \
    X(LAST_EDIT) X(REF_ID) X(REFERENCE) X(SPOULAST) X(PBIRTH) X(PDEATH) X(SEX) X(LIVING)           \
        X(BIRTHORDER) X(MULTIBIRTH) X(ADOPTED) X(ANCE_INT) X(DESC_INT) X(RELATE) X(RELATEFO)       \
            X(FLAG1)
#define NAME_FIELDS(X)                                                                             \
    X(NPER)                                                                                        \
    X(ALTYPE)                                                                                      \
    X(NAME)                                                                                        \
    X(ISPICKED) X(INFS) X(INFG) X(PRIMARY) X(NSURE) X(FSURE) X(NNOTE) X(RECNO) X(SENTENCE)         \
        X(NDATE) X(SRTDATE) X(DSURE) X(SRNAMESORT) X(GVNAMESORT) X(STYLEID) X(SURID) X(GIVID)      \
            X(SRNAMEDISP) X(SNDXSURN) X(SNDXGVN) X(PBIRTH) X(PDEATH) X(REFER) X(PREF_ID)           \
                X(LAST_EDIT)
#define PARTVALUE_FIELDS(X) X(RECNO) X(UID) X(TYPE) X(ID)
#define DICTIONARY_FIELDS(X) X(UID) X(VALUE) X(SDX)
#define PLACE_FIELDS(X)                                                                            \
    X(RECNO) X(STYLEID) X(STARTYEAR) X(ENDYEAR) X(COMMENT) X(SHORTPLACE) X(PLACE)
#define EVENT_FIELDS(X)                                                                            \
    X(ETYPE)                                                                                       \
    X(PER1SHOW)                                                                                    \
    X(PER2SHOW)                                                                                    \
    X(PER1) X(PER2) X(EDATE) X(PLACENUM) X(EFOOT) X(ENSURE) X(ESSURE) X(EDSURE) X(EPSURE)          \
        X(EFSURE) X(RECNO) X(SENTENCE) X(SRTDATE) X(REF_ID)
#define PARTICIPANT_FIELDS(X)                                                                      \
    X(EPER) X(GNUM) X(PRIMARY) X(WSENTENCE) X(ROLE) X(NAMEREC) X(WITMEMO) X(SEQUENCE)
#define PARENT_FIELDS(X) X(PRIMARY) X(CHILD) X(PARENT) X(PTYPE) X(PNOTE) X(PSURE) X(FSURE) X(RECNO)
#define CITATION_FIELDS(X)                                                                         \
    X(RECNO)                                                                                       \
    X(STYPE)                                                                                       \
    X(REFREC)                                                                                      \
    X(MAJSOURCE) X(SUBSOURCE) X(SNSURE) X(SSSURE) X(SDSURE) X(SPSURE) X(SFSURE) X(ISPICKED)        \
        X(SEQUENCE) X(CITMEMO) X(EXCLUDE) X(CITREF)
#define SOURCE_FIELDS(X)                                                                           \
    X(MACTIVE)                                                                                     \
    X(MAJNUM)                                                                                      \
    X(REF_ID)                                                                                      \
    X(ABBREV) X(DEFSURE) X(TITLE) X(TYPE) X(RECORDER) X(MEDIA) X(FIDELITY) X(INDEXED) X(STATUS)    \
        X(TEXT) X(SPERNO) X(ISPICKED) X(INFO) X(FFORM) X(SFORM) X(BFORM) X(CITED) X(IBIDTYPE)      \
            X(SUBJECTID) X(COMPILERID) X(EDITORID) X(SPERNO2) X(UNCITEDFLD) X(CUSTTYPE) X(FIRSTCD) \
                X(REMINDERS)
#define REPOSITORY_FIELDS(X)                                                                       \
    X(NAME) X(RECNO) X(REF_ID) X(ABBREV) X(ADDRESS) X(RNOTE) X(RPERNO) X(ISPICKED)
#define REPOLINK_FIELDS(X) X(MNUMBER) X(RNUMBER) X(REFERENCE) X(PRIMARY)
#define EXHIBIT_FIELDS(X)                                                                          \
    X(IDEXHIBIT)                                                                                   \
    X(IDREF)                                                                                       \
    X(RLTYPE)                                                                                      \
    X(RLNUM) X(XNAME) X(VFILENAME) X(IFILENAME) X(AFILENAME) X(TFILENAME) X(REFERENCE) X(TEXT)     \
        X(DESCRIPT) X(RLPER1) X(RLPER2) X(RLGTYPE) X(PRIMARY) X(ID_PERSON) X(ID_EVENT)             \
            X(ID_SOURCE) X(ID_REPOS) X(THUMB) X(ID_CIT) X(ID_PLACE) X(CAPTION) X(SORTEXH)
#define LOG_FIELDS(X)                                                                              \
    X(RLTYPE)                                                                                      \
    X(RLNUM)                                                                                       \
    X(RLPER1)                                                                                      \
    X(RLPER2) X(RLGTYPE) X(TASK) X(RLEDITED) X(DESIGNED) X(BEGUN) X(PROGRESS) X(COMPLETED)         \
        X(PLANNED) X(EXPENSES) X(COMMENTS) X(RLNOTE) X(KEYWORDS) X(ID_PERSON) X(ID_EVENT)          \
            X(ID_SOURCE) X(ID_REPOS) X(REFERENCE)
#define DNA_FIELDS(X)                                                                              \
    X(ID_DNA)                                                                                      \
    X(ID_PERSON)                                                                                   \
    X(DNANAME) X(COMMENTS) X(DESCRIPT) X(RESULT) X(URL) X(LOGO) X(KITNUMBER) X(TYPE) X(NAMEREC)
#define TAGTYPE_FIELDS(X)                                                                          \
    X(ISPICKED)                                                                                    \
    X(PICKED)                                                                                      \
    X(ACTIVE)                                                                                      \
    X(ETYPENUM) X(ORIGETYPE) X(ADMIN) X(LDSONLY) X(ETYPENAME) X(GEDCOM_TAG) X(ISREPORT)            \
        X(TSENTENCE) X(SENTENCE) X(ABBREV) X(WITDISP) X(PASTTENSE) X(PRINROLE) X(WITROLE)          \
            X(MAXYEAR) X(MINYEAR) X(PROPERTIES) X(YNDATE) X(YNPLACE) X(YNFOOT) X(YNNAME)
#define STYLE_FIELDS(X)                                                                            \
    X(STYLEID)                                                                                     \
    X(ST_DISPLAY)                                                                                  \
    X(ST_OUTPUT)                                                                                   \
    X(GROUP) X(SRNAMESORT) X(SRNAMEDISP) X(GVNAMESORT) X(GVNAMEDISP) X(OTHERDISP) X(STYLENAME)
#define FLAG_FIELDS(X)                                                                             \
    X(FLAGLABEL) X(FLAGFIELD) X(FLAGVALUE) X(SEQUENCE) X(DESCRIPT) X(ACTIVE) X(FLAGID) X(PROPERTY)
#define DATASET_FIELDS(X)                                                                          \
    X(DSID)                                                                                        \
    X(DSNAME)                                                                                      \
    X(DSLOCATION)                                                                                  \
    X(DSTYPE) X(DSLOCKED) X(DSENABLED) X(PROPERTY) X(DCOMMENT) X(NAMESTYLE) X(PLACESTYLE)
#define PARTTYPE_FIELDS(X) X(ID) X(VALUE) X(SYSTEM) X(TYPE) X(SHORTVALUE) X(TEMPLATE)
#define ELEMENT_FIELDS(X) X(RECNO) X(ELEMENT) X(GROUPNUM)
#define SOURCETYPE_FIELDS(X)                                                                       \
    X(RULESET)                                                                                     \
    X(SOURTYPE)                                                                                    \
    X(TRANS_TO)                                                                                    \
    X(NAME) X(FOOT) X(SHORT) X(BIB) X(CUSTFOOT) X(CUSTSHORT) X(CUSTBIB) X(SAMEAS) X(SAMEASMSG)     \
        X(PRIMARY)
#define FOCUS_FIELDS(X) X(GROUPNUM) X(GROUPNAME) X(RECENT)
#define MEMBER_FIELDS(X) X(GROUPNUM) X(MEMBERNUM)
#define LOCK_FIELDS(X) X(IDLOCK) X(TNAME)
#define PAIR_FIELDS(X) X(PER1) X(PER2)
// clang-format on

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

} // namespace hk::mktmg
