// Generated projects opened through the engine: indexes, counts, and the relations between
// records that TMG and the program rely on.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "mktmg/generator.h"
#include "mktmg/tmg_values.h"
#include "support/table_data.h"
#include "support/temp_dir.h"
#include "xbase/dbf/dbf_file.h"
#include "xbase/file.h"
#include "xbase/table.h"

namespace fs = std::filesystem;
using namespace hk;
using namespace hk::mktmg;
using hk::test::TableData;
using hk::test::TempDir;

namespace {

constexpr int64_t kPeople = 400;

class MktmgProject : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir();
        GeneratorOptions o;
        o.pjcPath = dir_->File("Gen__.pjc");
        o.people = kPeople;
        o.seed = 7;
        o.datasets = 3;
        result_ = new GeneratorResult(GenerateProject(o));
        tables_ = new std::map<std::string, std::unique_ptr<TableData>>();
        for (const auto& t : TmgTables(TmgLayout::Current))
            (*tables_)[t.suffix] = std::make_unique<TableData>(Path(t.suffix));
    }
    static void TearDownTestSuite() {
        delete tables_;
        delete result_;
        delete dir_;
    }
    static std::string Path(const std::string& suffix) {
        return dir_->File(TmgTableFileName("Gen_", suffix));
    }
    static const TableData& T(const std::string& suffix) { return *tables_->at(suffix); }

    // Live rows of a table by an integer key field.
    static std::map<long, size_t> ByKey(const std::string& suffix, const char* field) {
        std::map<long, size_t> out;
        const TableData& t = T(suffix);
        for (size_t r : t.Live())
            out[t.Int(r, field)] = r;
        return out;
    }

    static TempDir* dir_;
    static GeneratorResult* result_;
    static std::map<std::string, std::unique_ptr<TableData>>* tables_;
};

TempDir* MktmgProject::dir_ = nullptr;
GeneratorResult* MktmgProject::result_ = nullptr;
std::map<std::string, std::unique_ptr<TableData>>* MktmgProject::tables_ = nullptr;

} // namespace

TEST_F(MktmgProject, EveryTableHasItsIndexHeaderAndTheReportedCounts) {
    EXPECT_EQ(result_->datasets.size(), 3u);
    std::vector<int> dsids;
    for (const auto& d : result_->datasets)
        dsids.push_back(d.dsid);
    EXPECT_EQ(dsids, (std::vector<int>{1, 2, 8}));

    for (const auto& layout : TmgTables(TmgLayout::Current)) {
        SCOPED_TRACE(layout.suffix);
        const std::string path = Path(layout.suffix);
        db::OpenOptions o;
        o.writable = false;
        auto table = db::Table::Open(path, o);
        std::string fault;
        EXPECT_TRUE(table->CheckIndexes(&fault)) << fault;
        ASSERT_EQ(table->Tags().size(), layout.tags.size());
        for (const auto& tagDef : layout.tags) {
            db::Tag* tag = table->FindTag(tagDef.name);
            ASSERT_NE(tag, nullptr) << tagDef.name;
            EXPECT_EQ(tag->Info().keyExpr, tagDef.keyExpr);
            EXPECT_EQ(tag->Info().forExpr, ".NOT. DELETED()");
        }
        const db::DbfFile& dbf = table->Dbf();
        EXPECT_EQ(dbf.VersionByte(), 0x30);
        EXPECT_EQ(dbf.CodePage(), 0x03);
        EXPECT_TRUE(dbf.HasProductionIndexFlag());

        std::string head = hk::test::ReadBytes(path).substr(0, 4);
        EXPECT_EQ(static_cast<int>(head[1]), 24); // the fixed date 2024-03-01
        EXPECT_EQ(static_cast<int>(head[2]), 3);
        EXPECT_EQ(static_cast<int>(head[3]), 1);
        if (layout.HasMemo()) {
            std::string fpt = hk::test::ReadBytes(path.substr(0, path.size() - 4) + ".fpt");
            ASSERT_GE(fpt.size(), 512u);
            EXPECT_EQ(static_cast<uint8_t>(fpt[6]) * 256 + static_cast<uint8_t>(fpt[7]), 64);
        }

        // What the generator reported is what the table holds.
        const TableData& t = T(layout.suffix);
        const TableCounts& reported = result_->counts.at(layout.suffix);
        std::map<int, uint64_t> live;
        uint64_t deleted = 0;
        for (size_t r = 0; r < t.Size(); ++r) {
            if (t.Deleted(r))
                ++deleted;
            else
                ++live[t.Has("DSID") ? static_cast<int>(t.Int(r, "DSID")) : 0];
        }
        EXPECT_EQ(live, reported.live);
        EXPECT_EQ(deleted, reported.deleted);
        EXPECT_GE(deleted, 1u) << "every table has deleted records";
        if (t.Has("DSID") && layout.suffix != "D") {
            for (const auto& [dsid, n] : live)
                EXPECT_TRUE(dsid == 0 || dsid == 1 || dsid == 2 || dsid == 8) << dsid;
        }
    }
    const TableCounts& people = result_->counts.at("$");
    EXPECT_EQ(people.live.at(1) + people.live.at(2) + people.live.at(8), uint64_t(kPeople));
    EXPECT_GT(people.live.at(1), people.live.at(2));

    std::set<std::string> files(result_->files.begin(), result_->files.end());
    EXPECT_EQ(files.count("Gen__.pjc"), 1u);
    EXPECT_EQ(files.count("Gen_$.cdx"), 1u);
    EXPECT_EQ(files.count("Gen_$.fpt"), 0u);
    EXPECT_EQ(files.count("Gen_npv.dbf"), 1u);
    for (const std::string& f : files)
        EXPECT_TRUE(fs::exists(dir_->File(f))) << f;
    std::string pjc = hk::test::ReadBytes(dir_->File("Gen__.pjc"));
    EXPECT_EQ(pjc.rfind("[Stamp]\r\nPjcVersion=11.0\r\n", 0), 0u);
    for (const char* key : {"SPTemplate=", "SourceRule=", "ImageDirectory="})
        EXPECT_NE(pjc.find(key), std::string::npos) << key;
}

TEST_F(MktmgProject, ParticipantsAndEventsAgree) {
    const TableData& g = T("G");
    const TableData& e = T("E");
    auto events = ByKey("G", "RECNO");
    auto people = ByKey("$", "PER_NO");
    std::set<std::pair<long, long>> rows; // (event, person) of live participant rows
    for (size_t r : e.Live()) {
        long gnum = e.Int(r, "GNUM"), eper = e.Int(r, "EPER");
        rows.insert({gnum, eper});
        auto ev = events.find(gnum);
        ASSERT_NE(ev, events.end()) << "participant of a missing event " << gnum;
        EXPECT_EQ(e.Int(r, "DSID"), g.Int(ev->second, "DSID"));
        auto p = people.find(eper);
        ASSERT_NE(p, people.end()) << "participant " << eper << " is not a person";
        EXPECT_EQ(T("$").Int(p->second, "DSID"), e.Int(r, "DSID"));
        bool principal = eper == g.Int(ev->second, "PER1") || eper == g.Int(ev->second, "PER2");
        if (e.Bool(r, "PRIMARY")) {
            EXPECT_TRUE(principal) << "event " << gnum << " person " << eper;
        }
        if (!principal) {
            EXPECT_NE(e.Str(r, "ROLE"), "00001");
        }
    }
    for (size_t r : g.Live()) {
        for (const char* f : {"PER1", "PER2"}) {
            long per = g.Int(r, f);
            if (per != 0) {
                EXPECT_EQ(rows.count({g.Int(r, "RECNO"), per}), 1u)
                    << "event " << g.Int(r, "RECNO") << " has no row for its " << f;
            }
        }
    }
}

TEST_F(MktmgProject, PeopleMatchTheirParentLinksNamesAndBirths) {
    const TableData& p = T("$");
    const TableData& f = T("F");
    const TableData& n = T("N");
    const TableData& e = T("E");
    const TableData& g = T("G");
    auto events = ByKey("G", "RECNO");
    std::map<long, long> father, mother;
    for (size_t r : f.Live()) {
        if (!f.Bool(r, "PRIMARY"))
            continue;
        int group = GroupOfTagType(static_cast<int>(f.Int(r, "PTYPE")));
        auto& slot = group == kGroupFather ? father : mother;
        ASSERT_TRUE(group == kGroupFather || group == kGroupMother);
        EXPECT_EQ(slot.count(f.Int(r, "CHILD")), 0u) << "two primary parents of one kind";
        slot[f.Int(r, "CHILD")] = f.Int(r, "PARENT");
    }
    std::map<long, int> primaryNames;
    for (size_t r : n.Live())
        if (n.Bool(r, "PRIMARY"))
            ++primaryNames[n.Int(r, "NPER")];
    // The first primary participation of a person in a birth-group (death-group) event.
    std::map<long, std::string> birth, death;
    for (size_t r : e.Live()) {
        if (!e.Bool(r, "PRIMARY"))
            continue;
        size_t ev = events.at(e.Int(r, "GNUM"));
        int group = GroupOfTagType(static_cast<int>(g.Int(ev, "ETYPE")));
        auto& slot = group == kGroupBirth ? birth : death;
        if (group == kGroupBirth || group == kGroupDeath)
            slot.emplace(e.Int(r, "EPER"), g.Str(ev, "SRTDATE"));
    }
    std::set<std::pair<long, long>> refIds;
    int withParents = 0;
    for (size_t r : p.Live()) {
        long per = p.Int(r, "PER_NO");
        SCOPED_TRACE("person " + std::to_string(per));
        EXPECT_EQ(p.Int(r, "FATHER"), father.count(per) ? father[per] : 0);
        EXPECT_EQ(p.Int(r, "MOTHER"), mother.count(per) ? mother[per] : 0);
        withParents += p.Int(r, "FATHER") != 0;
        EXPECT_EQ(primaryNames[per], 1);
        EXPECT_TRUE(refIds.insert({p.Int(r, "DSID"), p.Int(r, "REF_ID")}).second)
            << "REF_ID " << p.Int(r, "REF_ID") << " twice in dataset " << p.Int(r, "DSID");
        auto b = birth.find(per);
        if (b != birth.end())
            EXPECT_EQ(p.Str(r, "PBIRTH"), b->second);
        else
            EXPECT_TRUE(p.Str(r, "PBIRTH").empty() || p.Str(r, "PBIRTH") == kEmptyDate);
        auto d = death.find(per);
        EXPECT_EQ(p.Str(r, "PDEATH"), d != death.end() ? d->second : "");
    }
    EXPECT_GT(withParents, kPeople / 3);
    // REF_IDs start again in each dataset.
    EXPECT_EQ(refIds.count({1, 1}) + refIds.count({2, 1}), 2u);
}

TEST_F(MktmgProject, NamesPlacesCitationsAndSourcesResolve) {
    auto nd = ByKey("ND", "UID");
    auto pd = ByKey("PD", "UID");
    auto names = ByKey("N", "RECNO");
    auto places = ByKey("P", "RECNO");
    const TableData& npv = T("NPV");
    std::map<long, std::map<long, long>> nameParts; // name -> type -> uid
    for (size_t r : npv.Live()) {
        long uid = npv.Int(r, "UID"), type = npv.Int(r, "TYPE");
        ASSERT_EQ(nd.count(uid), 1u) << "name part with no dictionary entry " << uid;
        ASSERT_EQ(names.count(npv.Int(r, "RECNO")), 1u);
        EXPECT_GE(type, 1);
        EXPECT_LE(type, 9);
        EXPECT_EQ(npv.Int(r, "ID"), type);
        EXPECT_EQ(npv.Int(r, "DSID"), T("N").Int(names.at(npv.Int(r, "RECNO")), "DSID"));
        EXPECT_TRUE(nameParts[npv.Int(r, "RECNO")].emplace(type, uid).second);
    }
    const TableData& n = T("N");
    int noGiven = 0;
    for (size_t r : n.Live()) {
        auto& parts = nameParts[n.Int(r, "RECNO")];
        long sur = parts.count(5) ? parts[5] : 0, giv = parts.count(3) ? parts[3] : 0;
        EXPECT_EQ(n.Int(r, "SURID"), sur);
        EXPECT_EQ(n.Int(r, "GIVID"), giv);
        if (sur) {
            const std::string& surname = T("ND").Str(nd.at(sur), "VALUE");
            EXPECT_NE(n.Str(r, "SRNAMEDISP").find(surname), std::string::npos);
        }
        noGiven += giv == 0;
    }
    EXPECT_GT(noGiven, 0) << "some names lack a given name";

    // Dictionary texts are shared: each is written once (coordinates are not looked up, but
    // they do not repeat either).
    for (const char* dictionary : {"ND", "PD"}) {
        std::set<std::string> seen;
        for (size_t r : T(dictionary).Live())
            EXPECT_TRUE(seen.insert(T(dictionary).Str(r, "VALUE")).second)
                << dictionary << " " << T(dictionary).Str(r, "VALUE");
    }

    const TableData& ppv = T("PPV");
    for (size_t r : ppv.Live()) {
        ASSERT_EQ(pd.count(ppv.Int(r, "UID")), 1u);
        ASSERT_EQ(places.count(ppv.Int(r, "RECNO")), 1u);
        EXPECT_EQ(ppv.Int(r, "ID"), ppv.Int(r, "TYPE"));
    }

    auto sources = ByKey("M", "MAJNUM");
    auto events = ByKey("G", "RECNO");
    auto links = ByKey("F", "RECNO");
    const TableData& s = T("S");
    std::map<char, int> kinds;
    int segmented = 0;
    for (size_t r : s.Live()) {
        long dsid = s.Int(r, "DSID");
        auto src = sources.find(s.Int(r, "MAJSOURCE"));
        ASSERT_NE(src, sources.end());
        EXPECT_EQ(T("M").Int(src->second, "DSID"), dsid);
        char type = s.Str(r, "STYPE")[0];
        ++kinds[type];
        const std::map<long, size_t>* target = type == 'E'   ? &events
                                               : type == 'N' ? &names
                                               : type == 'F' ? &links
                                               : type == 'P' ? &places
                                                             : nullptr;
        ASSERT_NE(target, nullptr) << type;
        auto it = target->find(s.Int(r, "REFREC"));
        ASSERT_NE(it, target->end()) << type << " " << s.Int(r, "REFREC");
        const char* table = type == 'E' ? "G" : type == 'N' ? "N" : type == 'F' ? "F" : "P";
        EXPECT_EQ(T(table).Int(it->second, "DSID"), dsid);
        segmented += s.Str(r, "SUBSOURCE").find("||") != std::string::npos;
    }
    EXPECT_GT(kinds['E'], 0);
    EXPECT_GT(kinds['N'], 0);
    EXPECT_GT(kinds['F'], 0);
    EXPECT_GT(segmented, 0);

    auto repos = ByKey("R", "RECNO");
    std::map<long, int> primaryLinks;
    const TableData& w = T("W");
    for (size_t r : w.Live()) {
        ASSERT_EQ(repos.count(w.Int(r, "RNUMBER")), 1u);
        ASSERT_EQ(sources.count(w.Int(r, "MNUMBER")), 1u);
        primaryLinks[w.Int(r, "MNUMBER")] += w.Bool(r, "PRIMARY");
    }
    for (const auto& [majnum, row] : sources)
        EXPECT_EQ(primaryLinks[majnum], 1) << majnum;
}

TEST_F(MktmgProject, ContentCoversWhatTheFunctionsWorkOn) {
    // Dates of every kind.
    std::set<char> modifiers;
    bool oldStyle = false, questionable = false, irregular = false, empty = false,
         missingSort = false;
    const TableData& g = T("G");
    for (size_t r : g.Live()) {
        const std::string& d = g.Str(r, "EDATE");
        if (d.empty() || d == kEmptyDate)
            empty = true;
        else if (d[0] == '0')
            irregular = true;
        else if (d.size() == 21) {
            modifiers.insert(d[10]);
            oldStyle |= d[9] == '1';
            questionable |= d[20] == '1';
            missingSort |= g.Str(r, "SRTDATE").empty();
        }
    }
    EXPECT_EQ(modifiers.size(), 8u);
    EXPECT_TRUE(oldStyle && questionable && irregular && empty && missingSort);

    // People: living, sex, married names, children without birth events.
    const TableData& p = T("$");
    std::set<std::string> living, sexes;
    for (size_t r : p.Live()) {
        living.insert(p.Str(r, "LIVING"));
        sexes.insert(p.Str(r, "SEX"));
    }
    EXPECT_EQ(living, (std::set<std::string>{"?", "N", "Y"}));
    EXPECT_EQ(sexes, (std::set<std::string>{"?", "F", "M"}));
    const TableData& n = T("N");
    int married = 0;
    for (size_t r : n.Live())
        married += n.Int(r, "ALTYPE") == kTagNameMarr;
    EXPECT_GT(married, 10);

    // Tag types of every group, with role labels and two languages.
    const TableData& t = T("T");
    std::set<long> groups;
    bool german = false, slashRole = false;
    for (size_t r : t.Live()) {
        groups.insert(t.Int(r, "ADMIN"));
        const std::string& s = t.Str(r, "TSENTENCE");
        EXPECT_EQ(s.rfind("[LABELS:]", 0), 0u) << t.Str(r, "ETYPENAME");
        EXPECT_NE(s.find("[:LABELS]"), std::string::npos);
        german |= s.find("[L=GERMAN]") != std::string::npos;
        slashRole |= s.find("[RL=\\00005]") != std::string::npos;
    }
    EXPECT_EQ(groups, (std::set<long>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 99}));
    EXPECT_TRUE(german && slashRole);

    // Witnesses with roles of their own and custom sentences.
    const TableData& e = T("E");
    std::set<std::string> roles;
    bool witnessSentence = false;
    for (size_t r : e.Live()) {
        roles.insert(e.Str(r, "ROLE"));
        witnessSentence |= e.Str(r, "WSENTENCE").find("[L=ENGLISH]") != std::string::npos;
    }
    EXPECT_GE(roles.size(), 3u);
    EXPECT_TRUE(roles.count("00001") && roles.count("00002"));
    EXPECT_TRUE(witnessSentence);

    // Styles: used, duplicated and unused ones.
    std::set<long> nameStyles, placeStyles;
    for (size_t r : n.Live())
        nameStyles.insert(n.Int(r, "STYLEID"));
    for (size_t r : T("P").Live())
        placeStyles.insert(T("P").Int(r, "STYLEID"));
    EXPECT_TRUE(nameStyles.count(kStyleNameStandard) && nameStyles.count(kStyleNameStandardCopy));
    EXPECT_EQ(nameStyles.count(kStyleNameUnused), 0u);
    EXPECT_TRUE(placeStyles.count(kStylePlaceStandard) &&
                placeStyles.count(kStylePlaceStandardCopy));
    EXPECT_EQ(placeStyles.count(kStylePlaceUnused), 0u);

    // Places with coordinates and map-link markers; exhibits with an image map.
    bool coordinates = false, marker = false;
    const TableData& pd = T("PD");
    for (size_t r : pd.Live()) {
        const std::string& v = pd.Str(r, "VALUE");
        coordinates |= v.find(',') != std::string::npos && v.find('.') != std::string::npos;
        marker |= v.find("PLACE-MAP-LINK:]") != std::string::npos;
    }
    EXPECT_TRUE(coordinates && marker);
    bool imageMap = false;
    for (size_t r : T("I").Live())
        imageMap |= T("I").Str(r, "DESCRIPT").find("[HID:][QX:]<map") != std::string::npos;
    EXPECT_TRUE(imageMap);
    for (const char* table : {"L", "DNA", "O", "C", "U", "A", "W", "R"})
        EXPECT_FALSE(T(table).Live().empty()) << table;
}

TEST(MktmgGenerator, SameArgumentsWriteTheSameBytesAndTheSeedChangesThem) {
    TempDir dir;
    auto generate = [&](const std::string& sub, uint64_t seed) {
        GeneratorOptions o;
        o.pjcPath = dir.File(sub) + "/Same__.pjc";
        o.people = 120;
        o.seed = seed;
        return GenerateProject(o).files;
    };
    std::vector<std::string> a = generate("a", 5), b = generate("b", 5), c = generate("c", 6);
    ASSERT_EQ(a, b);
    ASSERT_EQ(a, c);
    int differ = 0;
    for (const std::string& f : a) {
        std::string x = hk::test::ReadBytes(dir.File("a/" + f));
        EXPECT_EQ(x, hk::test::ReadBytes(dir.File("b/" + f))) << f;
        differ += x != hk::test::ReadBytes(dir.File("c/" + f));
    }
    EXPECT_GT(differ, 10);
}

TEST(MktmgGenerator, OldLayoutWritesFoxProTablesPackedNamesAndAVersionStamp) {
    TempDir dir;
    GeneratorOptions o;
    o.pjcPath = dir.File("Old__.pjc");
    o.people = 80;
    o.layout = TmgLayout::Old;
    o.datasets = 3; // an old project has no datasets
    GeneratorResult r = GenerateProject(o);
    ASSERT_EQ(r.datasets.size(), 1u);
    EXPECT_FALSE(fs::exists(dir.File("Old_npv.dbf")));
    EXPECT_EQ(hk::test::ReadBytes(dir.File("Old__.tmg")), "TMG Version 4.0d\r\n");
    std::string mem = hk::test::ReadBytes(dir.File("Old__.mem"));
    size_t at = mem.find("M_FVALSPLA");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(
        mem.compare(at + 32, std::string(kProjectPlaceTemplate).size(), kProjectPlaceTemplate), 0);

    for (const auto& layout : TmgTables(TmgLayout::Old)) {
        SCOPED_TRACE(layout.suffix);
        db::OpenOptions oo;
        oo.writable = false;
        auto table = db::Table::Open(dir.File(TmgTableFileName("Old_", layout.suffix)), oo);
        std::string fault;
        EXPECT_TRUE(table->CheckIndexes(&fault)) << fault;
        EXPECT_EQ(table->Dbf().VersionByte(), layout.HasMemo() ? 0xF5 : 0x03);
    }
    TableData people(dir.File("Old_$.dbf"));
    EXPECT_EQ(people.Live().size(), 80u);
    EXPECT_FALSE(people.Has("DSID"));
    TableData names(dir.File("Old_n.dbf"));
    std::map<long, size_t> byPerson;
    for (size_t row : names.Live())
        if (names.Bool(row, "PRIMARY"))
            byPerson[names.Int(row, "NPER")] = row;
    EXPECT_EQ(byPerson.size(), 80u);
    int packed = 0;
    for (const auto& [per, row] : byPerson) {
        const std::string& name = names.Str(row, "NAME");
        // Surname, title, given, suffix.
        EXPECT_EQ(std::count(name.begin(), name.end(), '&'), 4) << name;
        packed += name.find("$!&") != std::string::npos;
    }
    EXPECT_EQ(packed, 80);
    TableData events(dir.File("Old_e.dbf"));
    std::set<std::string> roles;
    for (size_t row : events.Live())
        roles.insert(events.Str(row, "ROLE"));
    EXPECT_EQ(roles.count("Principal"), 1u);
    EXPECT_EQ(roles.count("00001"), 0u);
    TableData places(dir.File("Old_p.dbf"));
    int packedPlaces = 0;
    for (size_t row : places.Live())
        packedPlaces += places.Str(row, "PLACE").find("$!&") != std::string::npos;
    EXPECT_GT(packedPlaces, 0);
}

TEST(MktmgGenerator, DatasetQuotasGiveTheFirstDatasetMost) {
    EXPECT_EQ(DatasetQuotas(1000, 1), (std::vector<int64_t>{1000}));
    EXPECT_EQ(DatasetQuotas(1000, 3), (std::vector<int64_t>{850, 75, 75}));
    EXPECT_EQ(DatasetQuotas(10, 3), (std::vector<int64_t>{8, 1, 1}));
    EXPECT_EQ(DatasetQuotas(2, 3), (std::vector<int64_t>{1, 1, 0}));
    EXPECT_EQ(DatasetQuotas(0, 2), (std::vector<int64_t>{0, 0}));
}
