// The project database object over generated projects: opening and its refusals, the table
// slots with aliases and clones, field references and tags, settings and private indexes.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/memory_settings_store.h"
#include "support/settings_store.h"
#include "support/temp_dir.h"
#include "support/test_project_builder.h"
#include "tmgdb/ctmgdb.h"
#include "unit/xbase/db_test_files.h"
#include "xbase/table_error.h"

using namespace hk;
using namespace hk::db;
using namespace hk::mktmg;
using hk::db::test::Caught;
using hk::test::TempDir;
using hk::test::TestProjectBuilder;
namespace fs = std::filesystem;

namespace {

// A small family in dataset 1: returns the project file path.
std::string WriteFamily(const TempDir& dir, TmgLayout layout = TmgLayout::Current) {
    TestProjectBuilder b(dir.Folder() + "proj", "Family", layout);
    int john = b.Person('M', "John", "Smith");
    int mary = b.Person('F', "Mary", "Jones");
    int tom = b.Person('M', "Tom", "Smith");
    b.Parents(tom, john, mary);
    b.Event(kTagBirth, tom, 0, ExactDate(1846, 3, 5));
    b.Event(kTagMarriage, john, mary, ExactDate(1845, 6, 1));
    return b.Write();
}

} // namespace

TEST(CTMGDB, ProjectFileNamesAndWhatIsReadAtOpen) {
    std::string folder, prefix;
    CTMGDB::SplitProjectPath("/data/tmg/Family__.PJC", folder, prefix);
    EXPECT_EQ(folder, "/data/tmg/");
    EXPECT_EQ(prefix, "Family_");
    CTMGDB::SplitProjectPath(" /data/tmg/ x__.pjc ", folder, prefix);
    EXPECT_EQ(prefix, "x_");
    EXPECT_EQ(CTMGDB::DisplayNameOf("Family_"), "Family");
    EXPECT_EQ(CTMGDB::DisplayNameOf("My_Tree___"), "My_Tree");
    EXPECT_EQ(CTMGDB::DisplayNameOf("___"), "");

    TempDir dir;
    std::string pjc = WriteFamily(dir);
    CTMGDB db;
    // The project file is named as TMG writes it on Windows; the files are found regardless.
    db.OpenProject(dir.Folder() + "proj/Family__.PJC");
    ASSERT_TRUE(db.IsOpen());
    EXPECT_EQ(db.ProjectFolder(), dir.Folder() + "proj/");
    EXPECT_EQ(db.ProjectPrefix(), "Family_");
    EXPECT_EQ(db.DisplayName(), "Family");
    EXPECT_EQ(db.TablePath("$"), dir.Folder() + "proj/Family_$.dbf");
    EXPECT_EQ(db.ProjectConfigPath(), pjc);
    EXPECT_EQ(db.VersionText(), "11.0");
    EXPECT_EQ(db.VersionString(), "011.000.000");
    EXPECT_EQ(db.PersonOrder(), "Per_No");
    EXPECT_EQ(db.PrincipalRoleId(), "00001");
    EXPECT_EQ(db.WitnessRoleId(), "00002");
    EXPECT_EQ(db.SourceRule(), 1);
    EXPECT_EQ(db.PlaceTemplate(), kProjectPlaceTemplate);
    EXPECT_EQ(db.TableCount(), 0); // the test open of the person table is closed again
    EXPECT_EQ(db.GetProjectSetting("Advanced", "ImageDirectory", "x"), kProjectImageDirectory);
    EXPECT_EQ(db.GetProjectSetting("Advanced", "NoSuchKey", "dflt"), "dflt");
    EXPECT_EQ(db.GetProjectSettingLong("advanced", "surnamecaps", 7), 1);
    EXPECT_EQ(db.GetProjectSettingLong("Advanced", "Missing", 7), 7);
    EXPECT_EQ(db.GetProjectSettingPath("Advanced", "ImageDirectory", "", "/base/"),
              "/base/Exhibits/");

    db.CloseProject();
    EXPECT_FALSE(db.IsOpen());
}

TEST(CTMGDB, OldProjectsReadTheStampAndTheMemoryFile) {
    TempDir dir;
    std::string pjc = WriteFamily(dir, TmgLayout::Old);
    CTMGDB db;
    db.OpenProject(pjc);
    EXPECT_EQ(db.VersionText(), "4.0D");
    EXPECT_EQ(db.VersionString(), "004.000.004");
    EXPECT_EQ(db.PersonOrder(), "PerByNo");
    EXPECT_EQ(db.PrincipalRoleId(), "Principal");
    EXPECT_EQ(db.PlaceTemplate(), kProjectPlaceTemplate);
    // The configuration file exists, but old projects always get the default.
    EXPECT_EQ(db.GetProjectSetting("Advanced", "CreateDate", "none"), "none");
    EXPECT_EQ(db.SourceRule(), 0);
    EXPECT_EQ(db.FirstPersonNumber(), 1);

    // Private indexes by version: L, N and P before version 5.
    db.OpenTable("p", "p");
    db.OpenTable("m", "m");
    EXPECT_TRUE(db.SlotHasPrivateIndex(db.FindAlias("p")));
    EXPECT_FALSE(db.SlotHasPrivateIndex(db.FindAlias("m")));
    EXPECT_NE(db.TagHandle("p.BYRECNO"), nullptr);
    EXPECT_TRUE(fs::exists(db.ProjectFolder() + "place_idx.cdx"));
    EXPECT_NE(db.TagHandle("m.MJBYNUM"), nullptr); // TMG's own index
    db.WantSurnameOrder = true;
    db.WantNameStyleOrder = true;
    db.OpenTable("n", "n");
    ASSERT_NE(db.TagHandle("n.BYSURNAME"), nullptr);
    ASSERT_NE(db.TagHandle("n.BYSTYLEID"), nullptr);
    db.SelectTag("n.BYSURNAME");
    Table* n = db.TableHandle("n");
    int name = n->FieldIndex("NAME");
    std::vector<std::string> order;
    for (int r = n->Top(); r == kPosOk; r = n->Skip(1))
        order.push_back(n->GetMemo(name));
    EXPECT_EQ(order.size(), 3u);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << order[0] << " / " << order[1];
}

TEST(CTMGDB, OpenRefusesMissingIndexFiles) {
    TempDir dir;
    std::string pjc = WriteFamily(dir);
    std::string folder = dir.Folder() + "proj/";
    fs::remove(folder + "Family_g.cdx");
    fs::remove(folder + "Family_$.cdx");
    CTMGDB db;
    hk::Error e = Caught<hk::Error>([&] { db.OpenProject(pjc); });
    EXPECT_EQ(e.Number(), -1);
    EXPECT_EQ(e.Source(), "[CTMGDB.VerifyIndexFiles]");
    EXPECT_EQ(e.Description(),
              "Index files are missing (see below); open the dataset in TMG to build the index "
              "files, then close TMG and try again.\r\n\r\nIndex file(s) missing:"
              "\r\nFamily_$.cdx\r\nFamily_g.cdx");
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.TableCount(), 0);
}

TEST(CTMGDB, OpenNamesADamagedTableByItsFile) {
    TempDir dir;
    std::string pjc = WriteFamily(dir);
    std::string folder = dir.Folder() + "proj/";
    // A table cut short (a copy that stopped half way), in the letter case Windows left it.
    uint64_t size = fs::file_size(folder + "Family_g.dbf");
    fs::resize_file(folder + "Family_g.dbf", size - 40);
    fs::rename(folder + "Family_g.dbf", folder + "Family_G.DBF");
    CTMGDB db;
    hk::Error e = Caught<hk::Error>([&] { db.OpenProject(pjc); });
    EXPECT_EQ(e.Source(), "[CTMGDB.CheckTableHeaders]");
    EXPECT_EQ(e.Description(),
              "The table " + folder +
                  "Family_G.DBF (Event File) is damaged: the header counts 2 records but the "
                  "file holds only 1.\r\n\r\nRestore the project from a backup, or let TMG "
                  "check and repair it (File > Maintenance > Validate File Integrity), then try "
                  "again.");
    EXPECT_EQ(db.PendingErrorCode(), kErrData);
    EXPECT_FALSE(db.IsOpen());
    // Only the end-of-file byte missing is no damage.
    fs::resize_file(folder + "Family_G.DBF", size - 1);
    db.OpenProject(pjc);
    EXPECT_TRUE(db.IsOpen());
}

TEST(CTMGDB, AnotherWriterGetsTheFileInUseAdvice) {
    TempDir dir;
    std::string pjc = WriteFamily(dir);
    CTMGDB db;
    {
        auto holder = Table::Open(dir.Folder() + "proj/Family_$.dbf"); // writable: locked
        hk::Error e = Caught<hk::Error>([&] { db.OpenProject(pjc); });
        EXPECT_EQ(e.Number(), -1);
        EXPECT_EQ(e.Source(), "[CTMGDB.OpenTable]");
        EXPECT_EQ(e.Description(),
                  "Error (-61) File in use: permission denied opening " + dir.Folder() +
                      "proj/Family_$.dbf as $\r\n\r\nThis application can not access TMG data "
                      "when TMG has the database open. Please close TMG and try opening the "
                      "dataset or project again.");
        EXPECT_EQ(db.PendingErrorCode(), kErrFileInUse);
        EXPECT_FALSE(db.IsOpen());
        EXPECT_THROW(db.OpenProject(pjc), TableLibraryError); // the engine's code goes along
        EXPECT_EQ(db.TableCount(), 0);

        // Read-only opens take no lock.
        CTMGDB reader;
        reader.SetReadOnly(true);
        reader.OpenProject(pjc);
        EXPECT_TRUE(reader.IsOpen());
    }
    db.OpenProject(pjc);
    EXPECT_TRUE(db.IsOpen());
    EXPECT_EQ(db.PendingErrorCode(), 0);
    // And now this object holds the tables.
    db.OpenTable("$", "p");
    EXPECT_THROW(Table::Open(dir.Folder() + "proj/Family_$.dbf"), DbError);
}

// Two project objects in one process behave like two copies of the program: the lock belongs
// to each one's open of the project file.
TEST(CTMGDB, TheProjectLockKeepsOtherCopiesFromWriting) {
    TempDir dir;
    std::string pjc = WriteFamily(dir);
    // Another program that only asks for the lock, and lets go at once.
    auto othersCanWrite = [&] {
        auto probe = FileSystem::Default().Open(pjc, OpenMode::ReadOnly, false);
        return probe->Lock(LockKind::Exclusive, false);
    };
    const std::string advice = "\r\n\r\n" + CTMGDB::InUseAdvice();
    CTMGDB window, run;
    window.OpenProject(pjc);
    run.SetReadOnly(true);
    run.OpenProject(pjc); // readers share the project
    EXPECT_FALSE(othersCanWrite());

    hk::Error e = Caught<hk::Error>([&] { run.LockForWriting(); });
    EXPECT_EQ(e.Number(), -1);
    EXPECT_EQ(e.Source(), "[CTMGDB.LockForWriting]");
    EXPECT_EQ(e.Description(), "Error (-61) File in use: permission denied changing " + pjc +
                                   " (another program has it open)" + advice);
    EXPECT_EQ(run.PendingErrorCode(), kErrFileInUse);
    EXPECT_FALSE(run.WriteLocked());
    EXPECT_TRUE(run.IsOpen());
    // The refused upgrade still holds the project: with the window gone, nobody else writes.
    window.CloseProject();
    EXPECT_FALSE(othersCanWrite());

    run.LockForWriting();
    EXPECT_TRUE(run.WriteLocked());
    run.LockForWriting(); // held already
    // While a run writes, no other copy opens the project, not even to read.
    CTMGDB reader;
    reader.SetReadOnly(true);
    e = Caught<hk::Error>([&] { reader.OpenProject(pjc); });
    EXPECT_EQ(e.Source(), "[CTMGDB.OpenProject]");
    EXPECT_EQ(e.Description(), "Error (-61) File in use: permission denied opening " + pjc +
                                   " (another program is changing it)" + advice);
    EXPECT_FALSE(reader.IsOpen());

    run.UnlockWriting();
    EXPECT_FALSE(run.WriteLocked());
    reader.OpenProject(pjc);
    EXPECT_FALSE(othersCanWrite());
    run.CloseProject();
    reader.CloseProject();
    EXPECT_TRUE(othersCanWrite());

    // A refused open lets go of the project too.
    fs::remove(dir.Folder() + "proj/Family_g.cdx");
    EXPECT_THROW(reader.OpenProject(pjc), hk::Error);
    EXPECT_TRUE(othersCanWrite());
}

TEST(CTMGDB, SlotsAliasesClonesAndTheTableLimit) {
    TempDir dir;
    std::string pjc = WriteFamily(dir);
    CTMGDB db;
    db.OpenProject(pjc);

    EXPECT_EQ(db.OpenTable("g", "g"), 0);
    EXPECT_EQ(db.OpenTable("$", "p.1"), 1); // "." is dropped from aliases
    EXPECT_EQ(db.FindAlias("P1"), 1);
    EXPECT_EQ(db.FindAlias("p.1"), 1);
    EXPECT_EQ(db.TableHandle("p1")->Alias(), "p1");
    EXPECT_EQ(db.FindSuffix("G"), 0);
    EXPECT_EQ(db.FindSuffix("e"), -2);
    EXPECT_EQ(db.FindAlias("x"), -1);
    EXPECT_EQ(Caught<hk::Error>([&] { db.FindSuffix("e", true); }).Description(),
              "Suffix not found: e");
    hk::Error missing = Caught<hk::Error>([&] { db.FindAlias("x", true); });
    EXPECT_EQ(missing.Description(), "Alias not found: x");
    EXPECT_EQ(missing.Source(), "[CTMGDB.FindAlias]");

    hk::Error dup = Caught<hk::Error>([&] { db.OpenTable("e", "G"); });
    EXPECT_EQ(dup.Description(), "Duplicate Alias: G");
    EXPECT_EQ(dup.Source(), "[CTMGDB.OpenTable]");
    EXPECT_EQ(db.TableCount(), 2);

    // A second alias of an open suffix is a clone: one set of files, cursors of their own.
    EXPECT_EQ(db.OpenTable("G", "g2"), 2);
    Table* g = db.TableHandle("g");
    Table* g2 = db.TableHandle("G2");
    EXPECT_NE(g, g2);
    EXPECT_EQ(db.SlotSuffix(2), "G  ");
    EXPECT_EQ(db.RecordCount("g2"), 2);
    g->AppendStart();
    g->AssignLong(g->FieldIndex("RECNO"), 3);
    g->Append();
    EXPECT_EQ(db.RecordCount("g2"), 3);
    g2->Go(3);
    EXPECT_EQ(g2->GetLong(g2->FieldIndex("RECNO")), 3);
    g->Go(1);
    EXPECT_EQ(g->RecNo(), 1u);
    EXPECT_EQ(g2->RecNo(), 3u);

    // Closing the first leaves the clone working.
    db.CloseTable("g");
    EXPECT_EQ(db.FindAlias("g2"), 1);
    EXPECT_EQ(g2->Top(), kPosOk);

    while (db.TableCount() < CTMGDB::kMaxTables)
        db.OpenTable("t", db.NewAlias());
    hk::Error limit = Caught<hk::Error>([&] { db.OpenTable("t", "one_more"); });
    EXPECT_EQ(limit.Description(), "Table limit exceeded");
    EXPECT_EQ(db.TableCount(), CTMGDB::kMaxTables);
    db.CloseAllTables();
    EXPECT_EQ(db.TableCount(), 0);
    EXPECT_EQ(db.OpenTable("t", "one_more"), 0);
    EXPECT_THROW(db.CloseTable("nope"), hk::Error);

    // A table that does not exist: the engine's error in the program's words.
    hk::Error absent = Caught<hk::Error>([&] { db.OpenTable("zz", "zz"); });
    EXPECT_EQ(absent.Description().rfind("Error (-60) Opening File opening ", 0), 0u)
        << absent.Description();
    EXPECT_NE(absent.Description().find("Family_ZZ.dbf as zz"), std::string::npos);
    EXPECT_EQ(db.PendingErrorCode(), kErrOpen);
    EXPECT_EQ(db.TableCount(), 1);
}

TEST(CTMGDB, FieldReferencesTagsAndAliases) {
    TempDir dir;
    std::string pjc = WriteFamily(dir);
    CTMGDB db;
    db.OpenProject(pjc);
    EXPECT_EQ(db.NewAlias(), "ta0");
    EXPECT_EQ(db.NewAlias(), "ta1");
    db.OpenTable("g", "g");
    db.OpenTable("$", "$");

    FieldRef edate = db.Field("g.EDate");
    ASSERT_TRUE(edate);
    EXPECT_EQ(edate.table, db.TableHandle("g"));
    EXPECT_EQ(edate.Info().name, "EDATE");
    FieldRef arrow = db.Field(" G->edate ");
    EXPECT_EQ(arrow.table, edate.table);
    EXPECT_EQ(arrow.index, edate.index);
    EXPECT_EQ(db.Field("$.Per_No").Info().name, "PER_NO");
    EXPECT_EQ(db.Field("$->SEX").table, db.TableHandle("$"));

    EXPECT_FALSE(db.FieldIfExists("g.NoSuch"));
    EXPECT_TRUE(db.HasField("g.etype"));
    EXPECT_FALSE(db.HasField("g.etypes"));
    hk::Error noField = Caught<hk::Error>([&] { db.Field("g.NoSuch"); });
    EXPECT_EQ(noField.Description(), "Error (-210) Unrecognized Field Name finding field g.NoSuch");
    EXPECT_EQ(Caught<hk::Error>([&] { db.Field("x.EDate"); }).Description(), "Alias not found: x");
    EXPECT_THROW(db.Field("EDate"), hk::Error);

    // Tags: by reference or by table; a missing one falls back to record order.
    Table* g = db.TableHandle("g");
    ASSERT_NE(db.TagHandle("g.byper1"), nullptr);
    EXPECT_EQ(db.TagHandle("g.nosuch"), nullptr);
    db.SelectTag("g.BYPER1");
    EXPECT_EQ(g->SelectedTag(), db.TagHandle("g.BYPER1"));
    EXPECT_EQ(g->SeekDouble(1), kPosOk); // John's marriage
    EXPECT_EQ(g->GetLong(db.Field("g.ETYPE").index), kTagMarriage);
    db.SelectTag("g.nosuch");
    EXPECT_EQ(g->SelectedTag(), nullptr);
    db.SelectTag(g, "BYRECNO");
    EXPECT_EQ(g->SelectedTag()->Name(), "BYRECNO");
    db.SelectTag(g, "");
    EXPECT_EQ(g->SelectedTag(), nullptr);
    EXPECT_EQ(db.RecordCount("$"), 3);
}

TEST(CTMGDB, PrivateNameIndexIsSharedByClonesAndDiscardedAtClose) {
    TempDir dir;
    TestProjectBuilder b(dir.Folder() + "proj", "Family");
    int john = b.Person('M', "John", "Smith");
    int mary = b.Person('F', "Mary", "Jones");
    NameParts other;
    other[kGiven] = "Johnny";
    other[kSurname] = "Smyth";
    int alias = b.Name(john, other);
    NameParts gone;
    gone[kGiven] = "Jon";
    gone[kSurname] = "Smit";
    int deleted = b.Name(john, gone);
    b.NameRecord(deleted).deleted = true;
    std::string pjc = b.Write();
    std::string indexFile = dir.Folder() + "proj/name_idx.cdx";
    dir.Write("proj/name_idx.cdx", "left over from an earlier run");

    CTMGDB db;
    db.OpenProject(pjc);
    EXPECT_FALSE(db.PrivateIndex("N")->Created());
    db.OpenTable("n", "n");
    const CTMGTableIndex* index = db.PrivateIndex("n");
    ASSERT_TRUE(index->Created());
    EXPECT_EQ(index->FileName(), indexFile);
    EXPECT_TRUE(db.SlotHasPrivateIndex(0));
    IndexSet* handle = index->IndexHandle();
    ASSERT_NE(handle, nullptr);
    // Only the private tags are there to select: TMG's index is not opened for ordering.
    EXPECT_NE(db.TagHandle("n.BYNPER"), nullptr);
    EXPECT_EQ(db.TagHandle("n.BYSURNAME"), nullptr); // not wanted
    EXPECT_EQ(db.TableHandle("n")->Tags().size(), 2u);

    // The deleted name is left out of BYNPER although its NPER matches.
    auto namesOf = [&](const std::string& a, long person) {
        Table* t = db.TableHandle(a);
        db.SelectTag(t, "BYNPER");
        int recno = t->FieldIndex("RECNO");
        std::vector<long> out;
        for (int r = t->SeekDouble(person); r == kPosOk; r = t->SeekNextDouble(person))
            out.push_back(t->GetLong(recno));
        return out;
    };
    EXPECT_EQ(namesOf("n", john), (std::vector<long>{1, alias}));
    EXPECT_EQ(namesOf("n", mary), (std::vector<long>{2}));

    // A clone reuses the one index object and file.
    db.OpenTable("N", "n2");
    EXPECT_EQ(db.PrivateIndex("N"), index);
    EXPECT_EQ(index->IndexHandle(), handle);
    EXPECT_EQ(namesOf("n2", john), (std::vector<long>{1, alias}));

    // The index stays open while a table of its kind is open, and its file stays until all
    // tables are closed.
    db.CloseTable("n");
    EXPECT_EQ(index->IndexHandle(), handle);
    EXPECT_EQ(namesOf("n2", mary), (std::vector<long>{2}));
    db.CloseTable("n2");
    EXPECT_EQ(index->IndexHandle(), nullptr);
    EXPECT_TRUE(index->Created());
    EXPECT_TRUE(fs::exists(indexFile));
    db.OpenTable("n", "again");
    EXPECT_NE(index->IndexHandle(), nullptr);
    EXPECT_EQ(namesOf("again", john), (std::vector<long>{1, alias}));
    db.ReleasePrivateIndex("N");
    EXPECT_EQ(db.TableHandle("again")->SelectedTag(), nullptr);
    EXPECT_EQ(db.TagHandle("again.BYNPER"), nullptr);

    db.CloseAllTables();
    EXPECT_FALSE(index->Created());
    EXPECT_FALSE(fs::exists(indexFile));

    // Surname order on request, built fresh.
    db.WantSurnameOrder = true;
    db.OpenTable("n", "n");
    db.SelectTag("n.BYSURNAME");
    Table* n = db.TableHandle("n");
    int surname = n->FieldIndex("SRNAMESORT");
    std::vector<std::string> order;
    for (int r = n->Top(); r == kPosOk; r = n->Skip(1))
        order.push_back(n->GetTrimmed(surname));
    EXPECT_EQ(order, (std::vector<std::string>{"Jones, Mary", "Smith, John", "Smyth, Johnny"}));
}

TEST(CTMGDB, DatasetsAndTheFirstPersonOfTheCurrentOne) {
    TempDir dir;
    TestProjectBuilder b(dir.Folder() + "proj", "Family");
    b.Datasets({1, 2});
    b.Person('M', "A", "One");
    b.Person('F', "B", "One");
    b.UseDataset(2);
    int first2 = b.Person('M', "C", "Two");
    b.Person('F', "D", "Two");
    b.PersonRecord(first2).deleted = true;
    std::string pjc = b.Write();

    CTMGDB db;
    db.OpenProject(pjc);
    auto sets = db.Datasets();
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[1].dsid, 2);
    EXPECT_EQ(sets[1].name, "Dataset 2");
    EXPECT_EQ(db.FindDataset(1)->name, "Dataset 1");
    EXPECT_FALSE(db.FindDataset(3));
    EXPECT_EQ(db.TableCount(), 0);

    db.SetDSID(1);
    EXPECT_EQ(db.FirstPersonNumber(), 1);
    db.SetDSID(2);
    EXPECT_EQ(db.FirstPersonNumber(), first2 + 1); // the deleted one does not count
    db.SetDSID(7);
    EXPECT_EQ(db.FirstPersonNumber(), 0);
    EXPECT_EQ(db.TableCount(), 0);
}

TEST(CTMGDB, LanguagesFromTmgsStringsTable) {
    TempDir dir;
    std::string tmg = dir.Folder() + "tmg/";
    fs::create_directories(tmg);
    Table::Create(tmg + "Strings.DBF", {{"ID", 'I'},
                                        {"CORIGINAL", 'C', 10},
                                        {"CENGLISH", 'C', 10},
                                        {"CDutch", 'C', 10},
                                        {"CWHERE", 'C', 10},
                                        {"CONTEXT", 'C', 10},
                                        {"CFRENCH", 'C', 10},
                                        {"NOTE", 'C', 10}});
    CTMGDB db;
    MemorySettingsStore user, machine;
    Settings settings(user, &machine);
    EXPECT_EQ(db.GetLanguages("ENGLISH||SPANISH", settings), "ENGLISH||SPANISH");

    // v7's machine-wide install path, after an empty v8 key.
    machine.SaveValue("Software\\Wholly Genes Software\\The Master Genealogist v8", "InstallPath",
                      SettingValue::String(dir.Folder() + "nothing/"));
    machine.SaveValue("Software\\Wholly Genes Software\\The Master Genealogist v7", "InstallPath",
                      SettingValue::String(dir.Folder() + "tmg"));
    EXPECT_EQ(db.GetLanguages("ENGLISH||SPANISH", settings), "ENGLISH||SPANISH||DUTCH||FRENCH");
    EXPECT_EQ(db.GetLanguages("", settings), "ENGLISH||DUTCH||FRENCH");
}

TEST(CTMGDB, PrivateIndexKindsByVersion) {
    EXPECT_TRUE(UsesPrivateIndex("st", 9));
    EXPECT_FALSE(UsesPrivateIndex("s", 9)); // not a part of "ST"
    EXPECT_FALSE(UsesPrivateIndex("T", 9));
    EXPECT_TRUE(UsesPrivateIndex("p", 4));
    EXPECT_FALSE(UsesPrivateIndex("p", 5));
    EXPECT_FALSE(UsesPrivateIndex("I", 4));
}

TEST(CTMGDB, EveryPrivateIndexOfTheCurrentLayoutBuildsAndOrders) {
    TempDir dir;
    TestProjectBuilder b(dir.Folder() + "proj", "Family");
    int john = b.Person('M', "John", "Smith");
    b.Source("the parish register of St Mary");
    b.Source("A census of 1851");
    b.Source("zz last");
    ExhibitRec x;
    x.id = 1;
    x.ownerType = '_';
    x.ownerNum = john;
    x.per1 = john;
    x.name = "portrait";
    b.Add(x);
    ResearchLogRec l;
    l.ownerNum = john;
    l.task = "find the will";
    b.Add(l);
    RepositoryRec r;
    r.recNo = 1;
    r.abbrev = "Archive";
    b.Add(r);
    std::string pjc = b.Write();

    CTMGDB db;
    db.OpenProject(pjc);
    const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
        {"I", {"BYSUBJ", "XNAME", "RLPER1"}},
        {"L", {"BYRLNUM"}},
        {"M", {"MJBYNUM", "BYREFID", "MJBYABBR", "MJBYTITL"}},
        {"R", {"BYRECNO"}}, // tag names are stored in upper case
        {"ST", {"STYLEID"}},
    };
    for (const auto& [suffix, tags] : expected) {
        int slot = db.OpenTable(suffix, suffix);
        EXPECT_TRUE(db.SlotHasPrivateIndex(slot)) << suffix;
        std::vector<std::string> names;
        for (Tag* t : db.TableHandle(suffix)->Tags())
            names.push_back(t->Name());
        EXPECT_EQ(names, tags) << suffix;
        EXPECT_TRUE(fs::exists(db.PrivateIndex(suffix)->FileName())) << suffix;
        std::string fault;
        EXPECT_TRUE(db.TableHandle(suffix)->CheckIndexes(&fault)) << suffix << ": " << fault;
    }
    // Sources by title, upper-cased, from the memo.
    db.SelectTag("M.MJBYTITL");
    Table* m = db.TableHandle("M");
    std::vector<long> byTitle;
    for (int pos = m->Top(); pos == kPosOk; pos = m->Skip(1))
        byTitle.push_back(m->GetLong(m->FieldIndex("MAJNUM")));
    EXPECT_EQ(byTitle, (std::vector<long>{2, 1, 3}));
    db.SelectTag("M.MJBYABBR");
    EXPECT_EQ(m->Seek("A CENSUS"), kPosOk);
    EXPECT_EQ(m->GetLong(m->FieldIndex("MAJNUM")), 2);
    // TMG's own index is still opened for tables without a private one.
    db.OpenTable("s", "s");
    EXPECT_FALSE(db.SlotHasPrivateIndex(db.FindAlias("s")));
    EXPECT_NE(db.TagHandle("s.BYREC"), nullptr);

    db.CloseAllTables();
    for (const auto& [suffix, tags] : expected)
        EXPECT_FALSE(
            fs::exists(db.ProjectFolder() + PrivateIndexFor(suffix, 11, false, false)->fileName))
            << suffix;
}

TEST(CTMGDB, AnIndexErrorGetsTheCollationAdvice) {
    TempDir dir;
    std::string pjc = WriteFamily(dir);
    dir.Write("proj/Family_$.cdx", std::string(1024, '\x07'));
    CTMGDB db;
    hk::Error e = Caught<hk::Error>([&] { db.OpenProject(pjc); });
    EXPECT_EQ(db.PendingErrorCode(), kErrIndex);
    EXPECT_EQ(e.Description().rfind("Error (-310) ", 0), 0u) << e.Description();
    const std::string advice =
        "\r\n\r\nThis application can not access TMG projects unless the collate sequence is set "
        "to 'General', 'Machine', or 'ASCII'. See the Help pages.";
    ASSERT_GT(e.Description().size(), advice.size());
    EXPECT_EQ(e.Description().substr(e.Description().size() - advice.size()), advice);
    EXPECT_FALSE(db.IsOpen());
}
