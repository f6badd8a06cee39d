#include "tmgdb/tmg_schema.h"

#include <stdexcept>

#include "support/text.h"

namespace hk {

namespace {

// One table as text: fields "NAME TYPE[WIDTH[.DECIMALS]]" separated by commas (fixed-width
// types without a width take their natural one), tags "NAME=KEY" separated by semicolons.
struct TableText {
    const char* suffix;
    const char* fields;
    const char* tags;
};

// TMG 5 to 9, in the field order of TMG's own file-structure document.
const TableText kCurrent[] = {
    {"$",
     "PER_NO I, FATHER I, MOTHER I, LAST_EDIT D, DSID I, REF_ID I, REFERENCE C12, SPOULAST I, "
     "SCBUFF C10, PBIRTH C30, PDEATH C30, SEX C1, LIVING C1, BIRTHORDER C2, MULTIBIRTH C1, "
     "ADOPTED C1, ANCE_INT C1, DESC_INT C1, RELATE I, RELATEFO I, TT C1",
     "PER_NO=PER_NO; REF_ID=REF_ID; PERBYFAT=FATHER; PERBYMOT=MOTHER; BYBIRTH=PBIRTH"},
    {"A",
     "RULESET N1, DSID I, SOURTYPE I, TRANS_TO I, NAME C66, FOOT M, SHORT M, BIB M, CUSTFOOT M, "
     "CUSTSHORT M, CUSTBIB M, SAMEAS I, SAMEASMSG M, PRIMARY L, REMINDERS M, TT C1",
     "BYTYPE=STR(RULESET,1)+STR(SOURTYPE,10)"},
    {"B", "GROUPNUM I, MEMBERNUM I, TT C1, DSID I", "GROUPNUM=GROUPNUM"},
    {"C",
     "FLAGLABEL C50, FLAGFIELD C10, FLAGVALUE C250, SEQUENCE I, DESCRIPT M, ACTIVE L, FLAGID I, "
     "PROPERTY M, DSID I, TT C1",
     "FLAGFIELD=UPPER(FLAGFIELD)"},
    {"D",
     "DSID I, DSNAME C100, DSLOCATION C253, DSTYPE N2, DSLOCKED L, DSENABLED L, PROPERTY M, "
     "DSP M, DSP2 M, TT C1, DCOMMENT M, HOST M, NAMESTYLE I, PLACESTYLE I",
     "DSID=DSID"},
    // TMG's document lists DESCRIPT twice; a table can hold it only once.
    {"DNA",
     "DSID I, ID_DNA I, ID_PERSON I, DNANAME C100, COMMENTS M, DESCRIPT M, RESULT M, URL M, "
     "LOGO M, TT C1, KITNUMBER C24, TYPE C1, NAMEREC I",
     "ID_DNA=ID_DNA"},
    {"E",
     "EPER I, GNUM I, PRIMARY L, WSENTENCE M, TT C1, ROLE C5, DSID I, NAMEREC I, WITMEMO M, "
     "SEQUENCE I",
     "EVBYPER=EPER; BYGNUM=GNUM"},
    {"F",
     "PRIMARY L, CHILD I, PARENT I, PTYPE I, PNOTE M, PSURE C1, FSURE C1, RECNO I, TT C1, DSID I",
     "BYPARENT=PARENT; BYCHILD=CHILD; BYRECNO=RECNO"},
    {"G",
     "ETYPE I, DSID I, PER1SHOW L, PER2SHOW L, PER1 I, PER2 I, EDATE C30, PLACENUM I, EFOOT M, "
     "ENSURE C1, ESSURE C1, EDSURE C1, EPSURE C1, EFSURE C1, RECNO I, SENTENCE M, SRTDATE C30, "
     "TT C1, REF_ID I",
     "BYRECNO=RECNO; BYPER1=PER1; BYPER2=PER2; BYETYPE=ETYPE"},
    {"I",
     "IDEXHIBIT I, IDREF I, RLTYPE C1, RLNUM I, XNAME C30, VFILENAME M, IFILENAME M, AFILENAME M, "
     "TFILENAME M, REFERENCE C25, TEXT M, IMAGE M, AUDIO M, DESCRIPT M, RLPER1 I, RLPER2 I, "
     "RLGTYPE I, OLE_OBJECT G, PRIMARY L, VIDEO M, PROPERTY M, DSID I, TT C1, ID_PERSON I, "
     "ID_EVENT I, ID_SOURCE I, ID_REPOS I, THUMB M, ID_CIT I, ID_PLACE I, CAPTION M, SORTEXH I, "
     "IMAGEFORE M, IMAGEBACK M, TRANSPAR N4",
     "IDEXHIBIT=IDEXHIBIT"},
    {"K", "IDLOCK I, TNAME C50, DSID I, TT C1", "IDLOCK=IDLOCK"},
    {"L",
     "RLTYPE C1, RLNUM I, RLPER1 I, RLPER2 I, RLGTYPE I, TASK M, RLEDITED C11, DESIGNED C11, "
     "BEGUN C11, PROGRESS C11, COMPLETED C11, PLANNED C11, EXPENSES N14.2, COMMENTS M, RLNOTE M, "
     "KEYWORDS M, DSID I, ID_PERSON I, ID_EVENT I, ID_SOURCE I, ID_REPOS I, TT C1, REFERENCE C30",
     "RLNUM=RLNUM"},
    {"M",
     "MACTIVE L, MAJNUM I, REF_ID I, ABBREV C50, DEFSURE C1, TITLE M, TYPE N3, RECORDER N2, "
     "MEDIA N2, FIDELITY N2, INDEXED N1, STATUS N2, TEXT M, SPERNO I, ISPICKED L, INFO M, FFORM M, "
     "SFORM M, BFORM M, CITED L, IBIDTYPE N1, SUBJECTID I, COMPILERID I, EDITORID I, SPERNO2 I, "
     "UNCITEDFLD M, CUSTTYPE I, FIRSTCD M, DSID I, REMINDERS M, TT C1",
     "MJBYNUM=MAJNUM; BYREFID=REF_ID"},
    {"N",
     "NPER I, ALTYPE I, ISPICKED L, INFS L, INFG L, PRIMARY L, NSURE C1, FSURE C1, NNOTE M, "
     "RECNO I, SENTENCE M, NDATE C30, SRTDATE C30, DSURE C1, DSID I, TT C1, SRNAMESORT C70, "
     "GVNAMESORT C70, STYLEID I, SURID I, GIVID I, SRNAMEDISP C70, SNDXSURN C4, SNDXGVN C4, "
     "PBIRTH C30, PDEATH C30, REFER C30, PREF_ID I, LAST_EDIT D",
     "BYNPER=NPER; BYRECNO=RECNO"},
    {"ND", "UID I, VALUE M, SDX C4, TT C1", "UID=UID"},
    {"NPT", "ID I, VALUE C100, SYSTEM L, TYPE I, SHORTVALUE C20, TT C1, DSID I, TEMPLATE C30",
     "SHORTVDSID=UPPER(SHORTVALUE)+STR(DSID,10)"},
    {"NPV", "RECNO I, UID I, TYPE I, ID I, TT C1, DSID I", "RECNO=RECNO"},
    {"O", "GROUPNUM I, GROUPNAME C40, RECENT L, TT C1", "GROUPNUM=GROUPNUM"},
    {"P", "RECNO I, STYLEID I, DSID I, TT C1, STARTYEAR C4, ENDYEAR C4, COMMENT M, SHORTPLACE M",
     "BYRECNO=RECNO; BYSTYLEID=STYLEID"},
    {"PD", "UID I, VALUE M, SDX C4, TT C1", "UID=UID"},
    {"PPT", "ID I, TYPE I, VALUE C100, SYSTEM L, SHORTVALUE C20, TT C1, DSID I",
     "SHORTVDSID=UPPER(SHORTVALUE)+STR(DSID,10)"},
    {"PPV", "RECNO I, UID I, TYPE I, ID I, TT C1, DSID I", "RECNO=RECNO"},
    {"R",
     "DSID I, NAME M, RECNO I, REF_ID I, ABBREV C50, ADDRESS I, RNOTE M, RPERNO I, ISPICKED L, "
     "TT C1",
     "BYRECNO=RECNO"},
    {"S",
     "RECNO I, STYPE C1, REFREC I, MAJSOURCE I, SUBSOURCE M, SNSURE C1, SSSURE C1, SDSURE C1, "
     "SPSURE C1, SFSURE C1, ISPICKED L, SEQUENCE I, CITMEMO M, EXCLUDE L, TT C1, DSID I, "
     "CITREF C30",
     "BYREC=REFREC; BYRECNO=RECNO; RECNO=RECNO; MAJSOURCE=MAJSOURCE"},
    {"ST",
     "STYLEID I, ST_DISPLAY M, ST_OUTPUT M, GROUP C1, SRNAMESORT M, SRNAMEDISP M, GVNAMESORT M, "
     "GVNAMEDISP M, OTHERDISP M, TT C1, DSID I, STYLENAME C100",
     "STYLEID=STYLEID"},
    {"T",
     "ISPICKED L, DSID I, ACTIVE L, ETYPENUM I, ORIGETYPE I, ADMIN N2, LDSONLY L, ETYPENAME C20, "
     "GEDCOM_TAG C4, ISREPORT L, TSENTENCE M, ABBREV C4, WITDISP L, PASTTENSE C20, PRINROLE L, "
     "WITROLE L, MAXYEAR N4, MINYEAR N4, REMINDERS M, TT C1, PROPERTIES M",
     "EVTBYNUM=ETYPENUM; EVTBYNAM=UPPER(ETYPENAME)"},
    {"U", "RECNO I, DSID I, ELEMENT C30, GROUPNUM N3, TT C1", "RECNO=RECNO"},
    {"W", "MNUMBER I, RNUMBER I, REFERENCE C25, PRIMARY L, TT C1, DSID I", "BYMNUMBER=MNUMBER"},
    {"XD", "DSID I, PER1 I, PER2 I, TT C1", "PER1=PER1"},
};

// Before TMG 5: the tables of a version 3.6 data set plus the source types and source elements
// of version 4, numeric keys of width 10 and the packed Name and Place memos. Where the old
// document is silent, the fields are those the program reads from such a project.
const TableText kOld[] = {
    {"$",
     "PER_NO N10, FATHER N10, FATHSURE C1, MOTHER N10, MOTHSURE C1, LAST_EDIT D, REFERENCE C12, "
     "SPOULAST C3, SCBUFF C10, PBIRTH C30, PDEATH C30, SEX C1, LIVING C1, BIRTHORDER C2, "
     "MULTIBIRTH C1, ADOPTED C1, ANCE_INT C1, DESC_INT C1",
     "PERBYNO=PER_NO; PERBYFAT=FATHER; PERBYMOT=MOTHER; BYBIRTH=PBIRTH"},
    {"A",
     "RULESET N1, SOURTYPE N10, TRANS_TO N10, NAME C66, FOOT M, SHORT M, BIB M, CUSTFOOT M, "
     "CUSTSHORT M, CUSTBIB M, SAMEAS N10, SAMEASMSG M, PRIMARY L",
     "BYTYPE=STR(RULESET,1)+STR(SOURTYPE,10)"},
    {"E", "EPER N10, GNUM N10, PRIMARY L, ROLE C20, WSENTENCE M", "EVBYPER=EPER; BYGNUM=GNUM"},
    {"F", "PRIMARY L, CHILD N10, PARENT N10, PTYPE N5, PNOTE M, PSURE C1, FSURE C1, RECNO N10",
     "BYPARENT=PARENT; BYCHILD=CHILD; BYRECNO=RECNO"},
    {"G",
     "ETYPE N5, PER1 N10, PER2 N10, PER1SHOW L, PER2SHOW L, EDATE C30, PLACENUM N10, EFOOT M, "
     "ENSURE C1, ESSURE C1, EDSURE C1, EPSURE C1, EFSURE C1, RECNO N10, SENTENCE M, SRTDATE C30",
     "BYRECNO=RECNO; BYPER1=PER1; BYPER2=PER2; BYETYPE=ETYPE"},
    {"I",
     "IDEXHIBIT N10, RLTYPE C1, RLNUM N10, XNAME C30, VFILENAME M, IFILENAME M, AFILENAME M, "
     "TFILENAME M, REFERENCE C25, TEXT M, IMAGE M, AUDIO M, DESCRIPT M, RLPER1 N10, RLPER2 N10, "
     "RLGTYPE N5, PRIMARY L, VIDEO M",
     "IDEXHIBIT=IDEXHIBIT"},
    {"K", "IDLOCK N8, TNAME C8", "IDLOCK=IDLOCK"},
    {"L",
     "RLTYPE C1, RLNUM N10, RLPER1 N10, RLPER2 N10, RLGTYPE N5, TASK M, RLEDITED C11, "
     "DESIGNED C11, BEGUN C11, PROGRESS C11, COMPLETED C11, PLANNED C11, EXPENSES N8.2, "
     "COMMENTS M, RLNOTE M, KEYWORDS M",
     "RLNUM=RLNUM"},
    {"M",
     "MACTIVE L, MAJNUM N10, ABBREV C30, DEFSURE C1, TITLE M, TYPE N2, RECORDER N2, MEDIA N2, "
     "FIDELITY N2, INDEXED N1, STATUS N2, TEXT M, SPERNO N10, ISPICKED L, INFO M, FFORM M, "
     "SFORM M, BFORM M, CITED L, IBIDTYPE N1, SUBJECTID N10, COMPILERID N10, EDITORID N10, "
     "SPERNO2 N10, UNCITEDFLD M, CUSTTYPE N10, FIRSTCD M",
     "MJBYNUM=MAJNUM"},
    {"N",
     "NPER N10, ALTYPE N5, NAME M, ISPICKED L, INFS L, INFG L, PRIMARY L, NSURE C1, FSURE C1, "
     "DSURE C1, NNOTE M, RECNO N10, SENTENCE M, NDATE C30, SRTDATE C30",
     "BYNPER=NPER; BYRECNO=RECNO"},
    {"P", "PLACE M, RECNO N10", "BYRECNO=RECNO"},
    {"R", "ABBREV C20, NAME M, ADDRESS N10, RNOTE M, RPERNO N10, RECNO N10, ISPICKED L",
     "BYRECNO=RECNO"},
    {"S",
     "STYPE C1, REFREC N10, MAJSOURCE N10, SUBSOURCE M, SNSURE C1, SSSURE C1, SDSURE C1, "
     "SPSURE C1, SFSURE C1, ISPICKED L, EXCLUDE L, RECNO N10",
     "BYREC=REFREC; BYRECNO=RECNO; RECNO=RECNO; MAJSOURCE=MAJSOURCE"},
    {"T",
     "PICKED L, ACTIVE L, ETYPENUM N6, ADMIN N2, LDSONLY L, ETYPENAME C10, SENTENCE M, "
     "GEDCOM_TAG C4, YNDATE L, YNPLACE L, YNFOOT L, YNNAME L, ISREPORT L",
     "EVTBYNUM=ETYPENUM; EVTBYNAM=UPPER(ETYPENAME)"},
    {"U", "RECNO N10, ELEMENT C30, GROUPNUM N3", "RECNO=RECNO"},
    {"W", "MNUMBER N10, RNUMBER N10, REFERENCE C25, PRIMARY L", "BYMNUMBER=MNUMBER"},
};

struct Description {
    const char* suffix;
    const char* text;
};

const Description kDescriptions[] = {
    {"$", "Person File"},          {"N", "Name File"},
    {"NPV", "Name Part Value"},    {"ND", "Name Dictionary"},
    {"NPT", "Name Part Type"},     {"E", "Event Witness File"},
    {"G", "Event File"},           {"F", "Father/Mother Relationship File"},
    {"S", "Source Citation File"}, {"PPV", "Place Part Value"},
    {"PD", "Place Dictionary"},    {"PPT", "Place Part Type"},
    {"M", "Source File"},          {"R", "Repository File"},
    {"W", "Repository Link File"}, {"P", "Place File"},
    {"K", "Timeline Lock File"},   {"T", "Tag Type File"},
    {"I", "Exhibit File"},         {"L", "Research Log File"},
    {"U", "Source Elements File"}, {"A", "Source Types File"},
    {"O", "Focus Groups"},         {"B", "Focus Group Members"},
    {"C", "Custom Flags"},         {"D", "Datasets"},
    {"XD", "Duplicates"},          {"ST", "Styles"},
};

std::vector<std::string_view> Split(std::string_view text, char sep) {
    std::vector<std::string_view> parts;
    while (!text.empty()) {
        size_t at = text.find(sep);
        std::string_view part = Trim(text.substr(0, at));
        if (!part.empty())
            parts.push_back(part);
        if (at == std::string_view::npos)
            break;
        text.remove_prefix(at + 1);
    }
    return parts;
}

db::FieldSpec ParseField(std::string_view text) {
    size_t blank = text.find(' ');
    if (blank == std::string_view::npos || blank + 1 >= text.size())
        throw std::logic_error("bad field text: " + std::string(text));
    db::FieldSpec f;
    f.name = std::string(text.substr(0, blank));
    std::string_view rest = text.substr(blank + 1);
    f.type = rest[0];
    rest.remove_prefix(1);
    size_t dot = rest.find('.');
    if (!rest.empty())
        f.length = std::stoi(std::string(rest.substr(0, dot)));
    if (dot != std::string_view::npos)
        f.decimals = std::stoi(std::string(rest.substr(dot + 1)));
    return f;
}

TmgTableLayout ParseTable(const TableText& t) {
    TmgTableLayout layout;
    layout.suffix = t.suffix;
    layout.description = TmgTableDescription(t.suffix);
    for (std::string_view f : Split(t.fields, ','))
        layout.fields.push_back(ParseField(f));
    for (std::string_view tag : Split(t.tags, ';')) {
        size_t eq = tag.find('=');
        db::IndexTagSpec tagDef;
        tagDef.name = std::string(tag.substr(0, eq));
        tagDef.keyExpr = std::string(tag.substr(eq + 1));
        tagDef.forExpr = std::string(kTmgTagFilter);
        layout.tags.push_back(std::move(tagDef));
    }
    return layout;
}

template <size_t N> std::vector<TmgTableLayout> ParseAll(const TableText (&tables)[N]) {
    std::vector<TmgTableLayout> out;
    for (const TableText& t : tables)
        out.push_back(ParseTable(t));
    return out;
}

} // namespace

bool TmgTableLayout::HasMemo() const {
    for (const auto& f : fields)
        if (f.type == 'M' || f.type == 'G')
            return true;
    return false;
}

int TmgTableLayout::FieldIndex(std::string_view name) const {
    for (size_t i = 0; i < fields.size(); ++i)
        if (EqualsNoCase(fields[i].name, name))
            return static_cast<int>(i);
    return -1;
}

const db::FieldSpec* TmgTableLayout::Field(std::string_view name) const {
    int i = FieldIndex(name);
    return i < 0 ? nullptr : &fields[i];
}

const std::vector<TmgTableLayout>& TmgTables(TmgLayout layout) {
    static const std::vector<TmgTableLayout> current = ParseAll(kCurrent);
    static const std::vector<TmgTableLayout> old = ParseAll(kOld);
    return layout == TmgLayout::Current ? current : old;
}

const TmgTableLayout* FindTmgTable(TmgLayout layout, std::string_view suffix) {
    for (const auto& t : TmgTables(layout))
        if (EqualsNoCase(t.suffix, suffix))
            return &t;
    return nullptr;
}

std::string TmgFlagFieldName(int number) {
    return "FLAG" + std::to_string(number);
}

TmgTableLayout WithPersonFlags(const TmgTableLayout& person, int count) {
    TmgTableLayout out = person;
    for (int i = 1; i <= count; ++i)
        out.fields.push_back({TmgFlagFieldName(i), 'C', 1});
    return out;
}

std::string TmgTableDescription(std::string_view suffix) {
    for (const Description& d : kDescriptions)
        if (EqualsNoCase(d.suffix, suffix))
            return d.text;
    return {};
}

std::string TmgTableFileName(std::string_view prefix, std::string_view suffix) {
    return std::string(prefix) + AsciiLower(suffix) + ".dbf";
}

db::CreateOptions TmgCreateOptions(TmgLayout layout) {
    db::CreateOptions o;
    o.flavor = layout == TmgLayout::Current ? db::DbfFlavor::Vfp : db::DbfFlavor::Fox2;
    o.codePage = 0x03; // Windows-1252
    o.memoBlockSize = 64;
    return o;
}

} // namespace hk
