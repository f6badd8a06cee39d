#include "reference_data.h"

#include <cstdio>

#include "support/text.h"
#include "tmg_values.h"

namespace hk::mktmg {

namespace {

// TMG's default tag types: number, name, group, GEDCOM tag, past tense, the name an older
// version used (empty when it had no such type), and whether it is for LDS ordinances.
struct TagDef {
    int number;
    const char* name;
    int group;
    const char* gedcom;
    const char* pastTense;
    const char* oldName;
    bool lds;
};

const TagDef kTags[] = {
    {1, "Adoption", 99, "ADOP", "adopted", "Adoption", false},
    {2, "Birth", 4, "BIRT", "born", "Birth", false},
    {3, "Death", 5, "DEAT", "died", "Death", false},
    {4, "Marriage", 6, "MARR", "married", "Marriage", false},
    {5, "Divorce", 7, "DIV", "divorced", "Divorce", false},
    {6, "Burial", 9, "BURI", "buried", "Burial", false},
    {7, "Immigration", 99, "IMMI", "immigrated", "Immigrate", false},
    {8, "Address", 10, "ADDR", "lived", "", false},
    {9, "Employment", 99, "OCCU", "employed", "", false},
    {10, "Residence", 99, "RESI", "resided", "Residence", false},
    {11, "Annulment", 7, "ANUL", "annulled", "", false},
    {12, "Baptism", 4, "BAPM", "baptized", "Baptism", false},
    {13, "Military-Begin", 99, "", "enlisted", "Military", false},
    {14, "Religion", 99, "RELI", "", "", false},
    {15, "Education", 99, "EDUC", "educated", "", false},
    {16, "BaptismLDS", 99, "BAPL", "baptized", "", true},
    {17, "BarMitzvah", 99, "BARM", "", "", false},
    {18, "BatMitzvah", 99, "BASM", "", "", false},
    {19, "Census", 99, "CENS", "enumerated", "Census", false},
    {20, "Christening", 4, "CHR", "christened", "Christen", false},
    {21, "Communion1st", 99, "FCOM", "", "", false},
    {22, "Divorce Filing", 7, "DIVF", "filed for divorce", "", false},
    {23, "Engagement", 99, "ENGA", "engaged", "", false},
    {24, "EndowmentLDS", 99, "ENDL", "endowed", "", true},
    {25, "Graduation", 99, "GRAD", "graduated", "", false},
    {26, "Marriage Bann", 6, "MARB", "", "Marr Bann", false},
    {27, "Marriage Contract", 6, "MARC", "", "", false},
    {28, "Marriage License", 6, "MARL", "licensed to marry", "", false},
    {29, "Marriage Settlement", 6, "MARS", "", "", false},
    {30, "Passenger List", 99, "", "", "", false},
    {31, "Probate", 99, "PROB", "probated", "Probate", false},
    {32, "SealParentLDS", 99, "SLGC", "sealed", "", true},
    {33, "SealSpouseLDS", 99, "SLGS", "sealed", "", true},
    {34, "Misc", 99, "EVEN", "", "", false},
    {35, "Retirement", 99, "RETI", "retired", "", false},
    {36, "Name-Marr", 1, "", "", "Name-Marr", false},
    {37, "Name-Var", 1, "", "", "Name-Var", false},
    {38, "Name-Chg", 1, "", "", "Name-Chg", false},
    {39, "Will", 99, "WILL", "wrote a will", "Will", false},
    {40, "Illness", 99, "", "", "", false},
    {41, "Birth-Covenant", 4, "", "born in the covenant", "", true},
    {42, "Blessing", 99, "BLES", "blessed", "", false},
    {43, "Infant BlessingLDS", 99, "", "blessed", "", true},
    {44, "CancelSeal", 99, "", "", "", true},
    {45, "Codicil", 99, "", "", "", false},
    {46, "Confirmation", 99, "CONF", "confirmed", "", false},
    {47, "ConfirmLDS", 99, "CONL", "confirmed", "", true},
    {48, "Criminal", 99, "", "", "", false},
    {49, "Emigration", 99, "EMIG", "emigrated", "Emigration", false},
    {50, "Excommunication", 99, "", "excommunicated", "", false},
    {51, "Naturalization", 99, "NATU", "naturalized", "", false},
    {52, "NullifyLDS", 99, "", "", "", true},
    {53, "Ordinance", 99, "ORDN", "", "", true},
    {54, "OrdinationLDS", 99, "", "ordained", "", true},
    {55, "Ordination", 99, "ORDN", "ordained", "", false},
    {56, "Presumed cancelled", 99, "", "", "", true},
    {57, "Ratification", 99, "", "", "", true},
    {58, "Rebaptism", 99, "", "rebaptized", "", true},
    {59, "Reseal", 99, "", "resealed", "", true},
    {60, "Restoration", 99, "", "restored", "", true},
    {61, "SealChildLDS", 99, "SLGC", "sealed", "", true},
    {62, "Birth-Stillborn", 4, "", "stillborn", "", false},
    {63, "VoidLiving", 99, "", "", "", true},
    {64, "WAC", 99, "", "", "", true},
    {65, "Military-End", 99, "", "discharged", "", false},
    {66, "Occupation", 99, "OCCU", "", "Occupation", false},
    {67, "Event-Misc", 99, "EVEN", "", "", false},
    {68, "Birth-Illegitimate", 4, "", "born", "", false},
    {69, "Living", 99, "", "", "", false},
    {70, "Name-Baptm", 1, "", "", "", false},
    {71, "Anecdote", 99, "", "", "", false},
    {72, "Name-Nick", 1, "", "", "Name-Nick", false},
    {73, "Attributes", 99, "", "", "", false},
    {74, "Association", 99, "ASSO", "", "", false},
    {75, "Reference", 99, "REFN", "", "", false},
    {76, "GEDCOM", 99, "", "", "", false},
    {77, "Note", 99, "NOTE", "", "Note", false},
    {78, "History", 8, "", "", "", false},
    {79, "Father-Biological", 2, "", "", "Father-Bio", false},
    {80, "Father-Adopted", 2, "", "", "Father-Ado", false},
    {81, "Father-Step", 2, "", "", "Father-Ste", false},
    {82, "Father-God", 2, "", "", "", false},
    {83, "Father-Foster", 2, "", "", "", false},
    {84, "Father-Other", 2, "", "", "", false},
    {85, "Mother-Biological", 3, "", "", "Mother-Bio", false},
    {86, "Mother-Adopted", 3, "", "", "Mother-Ado", false},
    {87, "Mother-Other", 3, "", "", "", false},
    {88, "Mother-Step", 3, "", "", "Mother-Ste", false},
    {89, "Mother-God", 3, "", "", "", false},
    {90, "Mother-Foster", 3, "", "", "", false},
    {91, "Parent-Biological", 12, "", "", "Parent-Bio", false},
    {92, "Parent-Adopted", 12, "", "", "", false},
    {93, "Parent-Other", 12, "", "", "", false},
    {94, "Parent-Step", 12, "", "", "", false},
    {95, "Parent-God", 12, "", "", "", false},
    {96, "Parent-Foster", 12, "", "", "", false},
    {97, "Stake", 99, "", "", "", true},
    {98, "AFN", 99, "AFN", "", "", false},
    {99, "Telephone", 99, "PHON", "", "", false},
    {100, "Namesake", 99, "", "", "", false},
    {101, "Number of marriages", 99, "NMR", "", "", false},
    {102, "Number of children", 99, "NCHI", "", "", false},
    {103, "Age", 99, "", "", "", false},
    {104, "Nationality", 99, "NATI", "", "", false},
    {105, "Caste", 99, "CAST", "", "", false},
    {106, "SSN", 99, "SSN", "", "", false},
    {107, "Description", 99, "DSCR", "", "", false},
    {108, "HTML", 99, "", "", "", false},
    {109, "NarrativeChildren", 99, "", "", "", false},
    {110, "JournalIntro", 99, "", "", "", false},
    {111, "JournalConclusion", 99, "", "", "", false},
};

// One role of a tag type: its id, its label in both languages and its sentences (the second
// language's sentence may be empty: the program then falls back to English).
struct RoleDef {
    std::string id;
    std::string label, label2;
    std::string sentence, sentence2;
};

struct SentenceDef {
    std::string label2; // the tag type's name in the second language, empty when none
    std::vector<RoleDef> roles;
};

const char* kPlaceDate = " <[D]> <[L]>";

SentenceDef SentencesOf(const TagDef& t) {
    std::string pd = kPlaceDate;
    RoleDef principal{kRolePrincipal, "Principal", "Hauptperson", "", ""};
    RoleDef witness{kRoleWitness, "Witness", "Zeuge", "", ""};
    SentenceDef s;
    switch (t.number) {
    case kTagBirth:
        s.label2 = "Geburt";
        principal.sentence = "[P] was born" + pd;
        principal.sentence2 = "[P] wurde" + pd + " geboren";
        witness.sentence = "[W] witnessed the birth of [P]" + pd;
        witness.sentence2 = "[W] war bei der Geburt von [P] anwesend" + pd;
        s.roles = {principal,
                   witness,
                   {kRoleMother, "Mother", "Mutter", "[C=F,12,60][W] gave birth to [P]" + pd, ""},
                   {"00004", "Midwife", "Hebamme", "[W] delivered [P]" + pd, ""}};
        return s;
    case kTagDeath:
        s.label2 = "Tod";
        principal.sentence = "[P] died" + pd;
        principal.sentence2 = "[P] starb" + pd;
        witness.sentence = "[W] witnessed the death of [P]" + pd;
        s.roles = {principal,
                   witness,
                   {kRoleInformant, "Informant", "Anzeigender",
                    "[W] reported the death of [P]" + pd, "[W] zeigte den Tod von [P] an" + pd}};
        return s;
    case kTagMarriage:
        s.label2 = "Heirat";
        principal.sentence = "[P] married [PO]" + pd;
        principal.sentence2 = "[P] heiratete [PO]" + pd;
        witness.sentence = "[W] witnessed the marriage of [P] and [PO]" + pd;
        witness.sentence2 = "[W] war Trauzeuge bei [P] und [PO]" + pd;
        s.roles = {principal,
                   witness,
                   {kRoleHusband, "Husband", "Ehemann", "[RP:00003] married [RP:00004]" + pd, ""},
                   {kRoleWife, "Wife", "Ehefrau", "[RP:00004] married [RP:00003]" + pd, ""},
                   // TMG marks some role ids with a leading backslash in the labels block.
                   {"\\00005", "Officiant", "Trauender",
                    "[W] officiated at the marriage of [P] and [PO]" + pd, ""}};
        return s;
    case kTagBurial:
        s.label2 = "Begräbnis";
        principal.sentence = "[P] was buried" + pd;
        principal.sentence2 = "[P] wurde" + pd + " begraben";
        witness.sentence = "[W] attended the burial of [P]" + pd;
        s.roles = {principal,
                   witness,
                   {"00003", "Officiant", "Pfarrer", "[W] conducted the burial of [P]" + pd, ""}};
        return s;
    case kTagBaptism:
    case kTagChristening: {
        bool bap = t.number == kTagBaptism;
        s.label2 = bap ? "Taufe" : "Kindstaufe";
        principal.sentence = std::string("[P] was ") + t.pastTense + pd;
        principal.sentence2 = "[P] wurde" + pd + " getauft";
        witness.sentence =
            std::string("[W] witnessed the ") + (bap ? "baptism" : "christening") + " of [P]" + pd;
        s.roles = {principal,
                   witness,
                   {kRoleGodparent, "Godparent", "Pate",
                    std::string("[W] was godparent at the ") + (bap ? "baptism" : "christening") +
                        " of [P]" + pd,
                    "[W] war Pate von [P]" + pd},
                   {"00004", "Officiant", "Pfarrer", "[W] baptized [P]" + pd, ""}};
        return s;
    }
    case kTagCensus:
        s.label2 = "Volkszählung";
        principal.sentence = "[P] <was|and [PO] were> enumerated in the census" + pd;
        witness.sentence = "[W] was enumerated with [P]" + pd;
        // Two roles with the same label: the program keeps the second as "Member#2".
        s.roles = {
            principal,
            witness,
            {kRoleHead, "Head", "Haushaltsvorstand", "[W] headed the household of [P]" + pd, ""},
            {kRoleMember, "Member", "Mitglied", "[W] lived in the household of [P]" + pd, ""},
            {"00005", "Member", "Mitglied", "[W] was listed with [P]" + pd, ""}};
        return s;
    case kTagDivorce:
        s.label2 = "Scheidung";
        principal.sentence = "[P] and [PO] were divorced" + pd;
        principal.sentence2 = "[P] und [PO] wurden" + pd + " geschieden";
        witness.sentence = "[W] witnessed the divorce of [P] and [PO]" + pd;
        s.roles = {principal, witness};
        return s;
    case kTagResidence:
        s.label2 = "Wohnort";
        principal.sentence = "[P] <lived|and [PO] lived> <[L]> <[D]>";
        principal.sentence2 = "[P] wohnte <[L]> <[D]>";
        witness.sentence = "[W] lived with [P] <[L]> <[D]>";
        s.roles = {principal, witness};
        return s;
    case kTagOccupation:
        s.label2 = "Beruf";
        principal.sentence = "[P] worked as [M]" + pd;
        principal.sentence2 = "[P] arbeitete als [M]" + pd;
        witness.sentence = "[W] worked with [P]" + pd;
        s.roles = {principal, witness};
        return s;
    case kTagMilitaryBegin:
        // Male and female versions of the sentence, separated as TMG does.
        principal.sentence = "[P] enlisted" + pd + "$!&[P] joined the service" + pd;
        witness.sentence = "[W] enlisted with [P]" + pd;
        s.roles = {principal, witness};
        return s;
    case kTagNote:
    case kTagHistory:
        principal.sentence = "[M]";
        witness.sentence = "[M]";
        s.roles = {principal, witness};
        return s;
    default:
        break;
    }
    if (t.group == kGroupName) {
        principal.sentence = "[P] was also known as [N] <[D]>";
        principal.sentence2 = "[P] war auch bekannt als [N] <[D]>";
        witness.sentence = "[W] knew [P] as [N] <[D]>";
    } else if (t.group == kGroupFather || t.group == kGroupMother || t.group == kGroupParent) {
        principal.sentence = "[P] was the child of [PO]";
        witness.sentence = "[W] knew [P] as the child of [PO]";
    } else if (*t.pastTense) {
        principal.sentence = std::string("[P] <was|and [PO] were> ") + t.pastTense + pd;
        witness.sentence =
            std::string("[W] witnessed when [P] <was|and [PO] were> ") + t.pastTense + pd;
    } else {
        principal.sentence = std::string("[P] <and [PO]> ") + AsciiLower(t.name) + pd + " <[M]>";
        witness.sentence =
            std::string("[W] was present for the ") + AsciiLower(t.name) + " of [P]" + pd;
    }
    s.roles = {principal, witness};
    return s;
}

// The sentence memo: the labels block, then one section per language, each starting on a new
// line as TMG writes them.
std::string SentenceMemo(const SentenceDef& s) {
    std::string m = "[LABELS:]\r\n";
    for (const RoleDef& r : s.roles) {
        m += "[RL=" + r.id + "][L=ENGLISH]" + r.label;
        if (!r.label2.empty())
            m += std::string("[L=") + kSecondLanguage + "]" + r.label2;
        m += "\r\n";
    }
    m += "[:LABELS]\r\n[L=ENGLISH]";
    auto plainId = [](const std::string& id) { return id[0] == '\\' ? id.substr(1) : id; };
    for (const RoleDef& r : s.roles)
        m += "[R=" + plainId(r.id) + "]" + r.sentence;
    std::string second;
    for (const RoleDef& r : s.roles)
        if (!r.sentence2.empty())
            second += "[R=" + plainId(r.id) + "]" + r.sentence2;
    if (!second.empty())
        m += std::string("\r\n[L=") + kSecondLanguage + "]" + second;
    return m;
}

// Older versions knew only the principal and witness roles, by name, and one language.
std::string OldSentenceMemo(const SentenceDef& s) {
    return "[L=ENGLISH][R=Principal]" + s.roles[0].sentence + "[R=Witness]" + s.roles[1].sentence;
}

TagTypeRec TagRecord(const TagDef& t, TmgLayout layout) {
    SentenceDef s = SentencesOf(t);
    TagTypeRec r;
    r.number = t.number;
    r.original = t.number;
    r.group = t.group;
    r.name = layout == TmgLayout::Current ? t.name : t.oldName;
    r.gedcom = t.gedcom;
    r.abbrev = AsciiUpper(std::string(t.name).substr(0, 4));
    r.pastTense = t.pastTense;
    r.ldsOnly = t.lds;
    r.sentence = layout == TmgLayout::Current ? SentenceMemo(s) : OldSentenceMemo(s);
    if (!s.label2.empty())
        r.properties = std::string("l_") + kSecondLanguage + "=" + s.label2 + "\r\n";
    r.witnessDisplay = t.group != kGroupName;
    return r;
}

const DatasetInfo* SecondDataset(const std::vector<DatasetInfo>& datasets) {
    return datasets.size() > 1 ? &datasets[1] : nullptr;
}

void WriteStyles(RecordWriter& w, const ReferenceOptions& o) {
    const std::string placeDisplay =
        "[ADDRESSEE] [DETAIL] [CITY] [COUNTY] [STATE] [COUNTRY] [POSTAL] [PHONE] [LATLONG] "
        "[TEMPLE]";
    const std::string placeOutput = "<[ADDRESSEE], ><[DETAIL], ><[CITY], ><[COUNTY], ><[STATE], "
                                    "><[COUNTRY], ><[POSTAL], ><[PHONE], ><[LATLONG], >";
    auto place = [&](int id, std::string name, std::string output, std::string shortForm) {
        StyleRec s;
        s.id = id;
        s.group = 'P';
        s.name = std::move(name);
        s.display = placeDisplay;
        s.output = std::move(output);
        s.other = std::move(shortForm);
        return s;
    };
    auto name = [&](int id, std::string styleName, std::string display) {
        StyleRec s;
        s.id = id;
        s.group = 'N';
        s.name = std::move(styleName);
        s.display = "[TITLE] [GIVENNAME] [SURNAME] [SUFFIX]";
        s.output = std::move(display);
        s.surnameSort = "[SORTSURNAME], [SORTGIVEN] [SUFFIX] [TITLE]";
        s.surnameDisplay = "[SURNAME], [GIVENNAME] ([TITLE]) [SUFFIX]";
        s.givenSort = "[SORTGIVEN] [SORTSURNAME]";
        s.givenDisplay = "[TITLE] [GIVENNAME] [SURNAME] [SUFFIX]";
        return s;
    };
    const std::string shortPlace = "<[CITY], ><[STATE]>";
    w.Write(place(kStylePlaceStandard, "Standard", placeOutput, shortPlace));
    w.Write(name(kStyleNameStandard, "Standard", "[TITLE] [GIVENNAME] [SURNAME] [SUFFIX]"));
    w.Write(name(kStyleNameTitleLast, "Title last", "[GIVENNAME] [SURNAME] [SUFFIX] ([TITLE])"));
    w.Write(name(kStyleNameStandardCopy, "Standard (imported)",
                 "[TITLE] [GIVENNAME] [SURNAME] [SUFFIX]"));
    w.Write(name(kStyleNameUnused, "Surname first", "[SURNAME] [GIVENNAME] [SUFFIX]"));
    w.Write(place(kStylePlaceShort, "City and state", "<[CITY], ><[STATE]>", shortPlace));
    w.Write(place(kStylePlaceStandardCopy, "Standard (imported)", placeOutput, shortPlace));
    w.Write(place(kStylePlaceUnused, "Country only", "<[COUNTRY]>", ""));
    if (const DatasetInfo* second = SecondDataset(o.datasets)) {
        StyleRec s = name(kStyleNameSecondDataset, "Imported names", "[GIVENNAME] [SURNAME]");
        s.dsid = second->dsid;
        w.Write(s);
    }
    if (o.deletedRecords) {
        StyleRec s = name(99, "Deleted style", "[SURNAME]");
        s.deleted = true;
        w.Write(s);
    }
}

void WriteFlags(RecordWriter& w, const ReferenceOptions& o) {
    struct Std {
        const char* field;
        const char* label;
        const char* values;
        const char* label2;
    };
    const Std standard[] = {
        {"SEX", "Sex", "?MF", "Geschlecht"},
        {"LIVING", "Living", "?YN", "Lebend"},
        {"BIRTHORDER", "Birth order", "?123456789", ""},
        {"MULTIBIRTH", "Multiple birth", "?YN", ""},
        {"ADOPTED", "Adopted", "?YN", "Adoptiert"},
        {"ANCE_INT", "Ancestor interest", "0123", ""},
        {"DESC_INT", "Descendant interest", "0123", ""},
    };
    int id = 0;
    for (const Std& s : standard) {
        FlagRec f;
        f.id = ++id;
        f.sequence = id;
        f.field = s.field;
        f.label = s.label;
        f.values = s.values;
        if (*s.label2)
            f.property = std::string("l_") + kSecondLanguage + "=" + s.label2 + "\r\n";
        w.Write(f);
    }
    const auto& custom = CustomFlags();
    const DatasetInfo* second = SecondDataset(o.datasets);
    for (size_t i = 0; i < custom.size(); ++i) {
        FlagRec f;
        f.id = ++id;
        f.sequence = id;
        f.field = TmgFlagFieldName(static_cast<int>(i) + 1);
        f.label = custom[i].label;
        f.values = custom[i].values;
        f.description = std::string("Custom flag: ") + custom[i].label;
        // The last custom flag is defined for the second dataset only.
        if (i + 1 == custom.size() && second)
            f.dsid = second->dsid;
        w.Write(f);
    }
    if (o.deletedRecords) {
        FlagRec f;
        f.id = ++id;
        f.field = "FLAG9";
        f.label = "Retired flag";
        f.values = "NY";
        f.deleted = true;
        w.Write(f);
    }
}

void WritePartTypes(RecordWriter& w, const ReferenceOptions& o) {
    const char* names[][2] = {{"Title", "Title"},          {"Prefix", "Prefix"},
                              {"Given name", "GivenName"}, {"Pre-surname", "PreSurname"},
                              {"Surname", "Surname"},      {"Suffix", "Suffix"},
                              {"Other name", "OtherName"}, {"Sort surname", "SortSurname"},
                              {"Sort given", "SortGiven"}};
    int id = 0;
    for (const auto& n : names) {
        ++id;
        w.WriteNamePartType({id, id, 0, n[0], n[1], "[" + AsciiUpper(n[1]) + "]", true, false});
    }
    const DatasetInfo* second = SecondDataset(o.datasets);
    w.WriteNamePartType({10, 7, 0, "Nickname", "Nickname", "[NICKNAME]", false, false});
    w.WriteNamePartType(
        {11, 7, second ? second->dsid : 0, "Religious name", "RelName", "[RELNAME]", false, false});
    if (o.deletedRecords)
        w.WriteNamePartType({12, 6, 0, "Retired part", "Retired", "", false, true});

    const char* places[] = {"Addressee", "Detail", "City",  "County",  "State",
                            "Country",   "Postal", "Phone", "LatLong", "Temple"};
    id = 0;
    for (const char* p : places) {
        ++id;
        w.WritePlacePartType({id, id, 0, p, p, "", true, false});
    }
    w.WritePlacePartType({11, 2, o.datasets.front().dsid, "Parish", "Parish", "", false, false});
    if (o.deletedRecords)
        w.WritePlacePartType({12, 2, 0, "Township", "Township", "", false, true});
}

void WriteSourceElements(RecordWriter& w, const ReferenceOptions& o) {
    // The first 32 rows have RECNO = GROUPNUM, so a source's INFO values line up with both
    // readings of its order.
    const char* groups[] = {"TITLE",
                            "SHORT TITLE",
                            "SUBTITLE",
                            "SHORT SUBTITLE",
                            "RECORD TYPE",
                            "AUTHOR",
                            "SUBJECT",
                            "COMPILER",
                            "EDITOR",
                            "SECOND PERSON",
                            "DATE",
                            "SECOND DATE",
                            "LOCATION",
                            "SECOND LOCATION",
                            "PUBLISHER",
                            "PUBLISHER LOCATION",
                            "SERIES",
                            "EDITION",
                            "VERSION",
                            "VOLUMES",
                            "PAGES",
                            "REPOSITORY",
                            "REPOSITORY LOCATION",
                            "REPOSITORY REFERENCE",
                            "FILE REFERENCE",
                            "FILE NUMBER",
                            "FILM NUMBER",
                            "COMMENTS",
                            "CD",
                            "CITATION REFERENCE",
                            "CITATION MEMO",
                            "REPOSITORY MEMO"};
    int recNo = 0;
    for (const char* g : groups) {
        ++recNo;
        w.Write(SourceElementRec{recNo, 0, std::string("[") + g + "]", recNo, false});
    }
    const std::pair<const char*, int> alternates[] = {{"[WRITER]", 6},
                                                      {"[TRANSCRIBER]", 10},
                                                      {"[PAGE]", 21},
                                                      {"[FILM]", 27},
                                                      {"[CITATION DETAIL]", 29}};
    for (const auto& [name, group] : alternates)
        w.Write(SourceElementRec{++recNo, 0, name, group});
    if (o.deletedRecords)
        w.Write(SourceElementRec{++recNo, 0, "[OLD ELEMENT]", 28, true});
}

void WriteSourceTypes(RecordWriter& w, const ReferenceOptions& o) {
    struct Def {
        int ruleSet, type, translateTo, sameAs;
        const char* name;
        const char* foot;
        const char* shortForm;
        const char* bib;
        bool primary;
    };
    const Def defs[] = {
        {1, 1, 1, 0, "Book (authored)",
         "[AUTHOR], [ITAL:][TITLE][:ITAL] ([PUBLISHER LOCATION]: [PUBLISHER], [DATE])<, [CD]>",
         "[AUTHOR], [ITAL:][SHORT TITLE][:ITAL]<, [CD]>",
         "[AUTHOR]. [ITAL:][TITLE][:ITAL]. [PUBLISHER LOCATION]: [PUBLISHER], [DATE].", false},
        {1, 2, 2, 0, "Census (federal)",
         "[DATE] U.S. census, [LOCATION], [RECORD TYPE]<, [CD]>; [FILM NUMBER]",
         "[DATE] U.S. census, [LOCATION]<, [CD]>", "[LOCATION]. [DATE] U.S. census.", false},
        {1, 3, 3, 0, "Vital record (certificate)",
         "[LOCATION], [RECORD TYPE] [FILE NUMBER]<, [CD]>", "[LOCATION], [RECORD TYPE]<, [CD]>",
         "[LOCATION]. [RECORD TYPE].", false},
        {1, 4, 4, 0, "Church record (register)",
         "[TITLE], [LOCATION]<, [CD]>; [REPOSITORY], [REPOSITORY LOCATION]",
         "[SHORT TITLE]<, [CD]>", "[LOCATION]. [TITLE].", false},
        {1, 5, 5, 0, "Newspaper", "[ITAL:][TITLE][:ITAL] ([LOCATION]), [DATE]<, [CD]>",
         "[ITAL:][SHORT TITLE][:ITAL], [DATE]<, [CD]>", "[ITAL:][TITLE][:ITAL]. [LOCATION].",
         false},
        {2, 1, 1, 1, "Book", "[AUTHOR], [TITLE] ([PUBLISHER], [DATE])<, [CD]>", "", "", false},
        {2, 2, 2, 2, "Census", "[LOCATION] census, [DATE]<, [CD]>", "", "", false},
        {3, 1001, 1, 0, "Family Bible",
         "[TITLE] ([PUBLISHER LOCATION]: [PUBLISHER], [DATE]), family pages<, [CD]>; "
         "held by [SECOND PERSON]",
         "[SHORT TITLE]<, [CD]>", "[TITLE]. Family pages.", true},
        {3, 1002, 5, 0, "Letter", "[AUTHOR] to [SECOND PERSON], letter, [DATE]<; [CD]>",
         "[AUTHOR] to [SECOND PERSON], [DATE]", "[AUTHOR]. Letter, [DATE].", false},
    };
    for (const Def& d : defs) {
        SourceTypeRec r;
        r.ruleSet = d.ruleSet;
        r.type = d.type;
        r.translateTo = d.translateTo;
        r.sameAs = d.sameAs;
        r.name = d.name;
        if (d.ruleSet == 3) {
            r.custFoot = d.foot;
            r.custShort = d.shortForm;
            r.custBib = d.bib;
        } else {
            r.foot = d.foot;
            r.shortForm = d.shortForm;
            r.bib = d.bib;
        }
        if (d.sameAs)
            r.sameAsMessage = "Same as the Mills type";
        r.primary = d.primary;
        w.Write(r);
    }
    if (o.deletedRecords) {
        SourceTypeRec r;
        r.ruleSet = 3;
        r.type = 1003;
        r.name = "Retired type";
        r.deleted = true;
        w.Write(r);
    }
}

void WriteDatasets(RecordWriter& w, const ReferenceOptions& o) {
    for (const DatasetInfo& d : o.datasets) {
        DatasetRec r;
        r.dsid = d.dsid;
        r.name = d.name;
        r.locked = d.locked;
        r.nameStyle = kStyleNameStandard;
        r.placeStyle = kStylePlaceStandard;
        if (d.dsid != 1) {
            r.location = "C:\\Imports\\dataset" + std::to_string(d.dsid) + ".ged";
            r.importType = 2;
            r.comment = "Imported from a GEDCOM file.";
        }
        w.Write(r);
    }
    // A dataset record TMG left behind; kept out of one-dataset projects, which must open
    // without a choice.
    if (o.deletedRecords && o.datasets.size() > 1) {
        DatasetRec r;
        r.dsid = 5;
        r.name = "Removed dataset";
        r.deleted = true;
        w.Write(r);
    }
}

} // namespace

const std::vector<CustomFlag>& CustomFlags() {
    static const std::vector<CustomFlag> flags = {
        {"Print", "NY"},
        {"Group", "?123456789ABCDEFGHIJKLMNPQRSTUVWXYZO"},
        {"DNA line", "NY"},
        {"Checked", "?YN"},
    };
    return flags;
}

std::vector<DatasetInfo> DefaultDatasets(int count) {
    std::vector<DatasetInfo> out;
    for (int i = 0; i < count; ++i) {
        DatasetInfo d;
        d.dsid = i == 0 ? 1 : i == 1 ? 2 : 6 + i; // 1, 2, 8, 9, ...
        d.name = i == 0   ? "Main research"
                 : i == 1 ? "Imported family tree"
                          : "Import " + std::to_string(d.dsid);
        d.locked = i == 2;
        out.push_back(d);
    }
    return out;
}

int GroupOfTagType(int number) {
    for (const TagDef& t : kTags)
        if (t.number == number)
            return t.group;
    if (number == kTagNameStd)
        return kGroupName;
    if (number == kTagShipArrival)
        return kGroupOther;
    return kGroupOther;
}

std::vector<TagTypeRec> DefaultTagTypes(TmgLayout layout,
                                        const std::vector<DatasetInfo>& datasets) {
    std::vector<TagTypeRec> out;
    for (const TagDef& t : kTags) {
        if (layout == TmgLayout::Old && !*t.oldName)
            continue;
        out.push_back(TagRecord(t, layout));
    }
    if (layout == TmgLayout::Old)
        return out;
    // A few LDS types are switched off, as users do.
    for (TagTypeRec& r : out)
        if (r.ldsOnly && r.number > 50)
            r.active = false;

    TagDef nameStd{kTagNameStd, "Name-Std", kGroupName, "", "", "", false};
    TagTypeRec custom = TagRecord(nameStd, layout);
    custom.original = 0;
    out.push_back(custom);
    TagDef obit{kTagObituary, "Obituary", kGroupOther, "", "published an obituary", "", false};
    TagTypeRec o = TagRecord(obit, layout);
    o.original = 0;
    out.push_back(o);
    if (const DatasetInfo* second = SecondDataset(datasets)) {
        TagDef ship{kTagShipArrival, "Ship Arrival", kGroupOther, "", "arrived", "", false};
        TagTypeRec s = TagRecord(ship, layout);
        s.original = 0;
        s.dsid = second->dsid;
        out.push_back(s);
    }
    return out;
}

void WriteReferenceData(RecordWriter& w, const ReferenceOptions& o) {
    WriteDatasets(w, o);
    for (const TagTypeRec& t : DefaultTagTypes(w.Layout(), o.datasets))
        w.Write(t);
    if (o.deletedRecords) {
        TagDef retired{kTagRetired, "Retired", kGroupOther, "", "", "Retired", false};
        TagTypeRec r = TagRecord(retired, w.Layout());
        r.original = 0;
        r.deleted = true;
        w.Write(r);
    }
    WriteStyles(w, o);
    WriteFlags(w, o);
    WritePartTypes(w, o);
    WriteSourceElements(w, o);
    WriteSourceTypes(w, o);
    if (o.deletedRecords) {
        w.DeletedNameWord("Obsolete");
        w.DeletedPlaceWord("Obsolete");
    }
}

std::string MemoryVariableFile(const std::vector<std::pair<std::string, std::string>>& vars) {
    std::string out;
    for (const auto& [name, value] : vars) {
        std::string text = Utf8ToCp1252(value);
        // 32-byte header: name (11 bytes), type ('C' with the high bit), length of the data
        // (the text and its terminating zero) at bytes 16-17; the data follows.
        std::string h(32, '\0');
        h.replace(0, std::min<size_t>(name.size(), 10), name.substr(0, 10));
        h[11] = static_cast<char>('C' | 0x80);
        size_t len = text.size() + 1;
        h[16] = static_cast<char>(len & 0xFF);
        h[17] = static_cast<char>((len >> 8) & 0xFF);
        out += h;
        out += text;
        out += '\0';
    }
    out += '\x1A';
    return out;
}

void WriteProjectFiles(ProjectWriter& p) {
    const FixedDate& d = p.Date();
    char ymd[16], mdy[16];
    std::snprintf(ymd, sizeof ymd, "%04d%02d%02d", d.year, d.month, d.day);
    std::snprintf(mdy, sizeof mdy, "%02d/%02d/%04d", d.month, d.day, d.year);
    if (p.Layout() == TmgLayout::Old) {
        // Before version 5 the version lives in NAME_.tmg and the settings in NAME_.mem.
        p.WriteProjectFile("_.pjc", std::string("[Advanced]\nCreateDate=") + ymd + "\n");
        p.WriteProjectFile("_.tmg", "TMG Version 4.0d\n");
        p.WriteRawFile("_.mem", MemoryVariableFile({{"M_FVALSPLA", kProjectPlaceTemplate},
                                                    {"M_FVALCOLL", "MACHINE"}}));
        return;
    }
    std::string pjc;
    pjc += "[Stamp]\nPjcVersion=11.0\n\n";
    pjc += "[Researcher]\nName=Hearthkit Test Researcher\nAddress1=1 Archive Lane\n"
           "Address2=Springfield\nPhone=\nEmail=researcher@example.org\nWebsite=\n\n";
    pjc += "[Advanced]\n";
    pjc += std::string("CreateDate=") + ymd + "\nCreateTime=12:00:00 PM\n";
    pjc += std::string("LastIndexed=") + mdy + "\nLastVFI=" + mdy + "\nLastOptimized=" + mdy + "\n";
    pjc += std::string("SPTemplate=") + kProjectPlaceTemplate + "\n";
    pjc += "SourceRule=1\n";
    pjc += std::string("ImageDirectory=") + kProjectImageDirectory + "\n";
    pjc += "GivenCaps=0\nSurnameCaps=1\n";
    pjc += "MappingCountry=USA\nRestoredByVersion=v 9.05.0000\n";
    p.WriteProjectFile("_.pjc", pjc);
}

} // namespace hk::mktmg
