#include "functions/check_project.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "functions/project_links.h"
#include "support/text.h"
#include "tmgdb/ctmgdb.h"
#include "tmgdb/tmg_schema.h"
#include "xbase/db_error.h"
#include "xbase/table.h"

namespace hk {

const char* CheckFaultLabel(CheckFault kind) {
    switch (kind) {
    case CheckFault::Unreadable:
        return "Tables that could not be read";
    case CheckFault::Header:
        return "Table headers that disagree with the file size";
    case CheckFault::Memo:
        return "Memo pointers outside their memo file";
    case CheckFault::Tag:
        return "Index tags that disagree with the data";
    case CheckFault::ParticipantEvent:
        return "Participants whose event is missing";
    case CheckFault::ParticipantPerson:
        return "Participants whose person is missing";
    case CheckFault::EventTagType:
        return "Events whose tag type is missing";
    case CheckFault::EventPlace:
        return "Events whose place is missing";
    case CheckFault::NamePerson:
        return "Names whose person is missing";
    case CheckFault::NameStyle:
        return "Names whose style is missing";
    case CheckFault::PlaceStyle:
        return "Places whose style is missing";
    case CheckFault::ParentChildPerson:
        return "Parent-child links to a missing person";
    case CheckFault::CitationSource:
        return "Citations whose source is missing";
    case CheckFault::NoPrimaryName:
        return "People without a primary name";
    case CheckFault::DoubledPrimaryName:
        return "People with more than one primary name";
    case CheckFault::Count:
        break;
    }
    return "";
}

namespace {

constexpr size_t kKinds = static_cast<size_t>(CheckFault::Count);

// The tables to check: those with links in the order their passes need, then every other
// table of the project's layout; only those whose file is there.
std::vector<std::pair<std::string, std::string>> TablesToCheck(db::CTMGDB& db) {
    const TmgLayout layout = db.VersionMajor() >= 5 ? TmgLayout::Current : TmgLayout::Old;
    std::vector<std::string> suffixes = ProjectLinks::Order();
    for (const TmgTableLayout& t : TmgTables(layout))
        if (std::find(suffixes.begin(), suffixes.end(), t.suffix) == suffixes.end())
            suffixes.push_back(t.suffix);
    std::vector<std::pair<std::string, std::string>> out;
    for (const std::string& suffix : suffixes)
        if (auto path = db::FindFileNoCase(db.TablePath(suffix)))
            out.emplace_back(suffix, *path);
    return out;
}

struct CheckProjectRun final : LoggedRun {
    std::array<long, kKinds> counts{};
    long tables = 0, records = 0;

    void Walk(RunScope& run) override {
        db::CTMGDB& db = run.Db();
        // Every tag is checked in full here, and a fault is reported rather than refused.
        db.SetCheckTags(false);
        CLogFile& log = run.Log();
        FaultSink report = [&](CheckFault kind, const std::string& table, uint32_t recno,
                               const std::string& what) {
            ++counts[static_cast<size_t>(kind)];
            log.LogLine(table + ", " + (recno ? std::to_string(recno) : std::string("-")) + ", " +
                        what);
        };
        ProjectLinks links(db.DSID());
        const auto list = TablesToCheck(db);
        run.Ui().SetProgressRange(static_cast<long>(list.size()));
        for (const auto& [suffix, path] : list) {
            const std::string name = std::filesystem::path(path).filename().string();
            std::unique_ptr<db::Table> table = Open(db.Journal(), path, name, db.Budget(), report);
            if (!table) {
                links.Unreadable(suffix);
                run.Ui().SetProgress(++tables);
                continue;
            }
            const bool linked =
                std::find(ProjectLinks::Order().begin(), ProjectLinks::Order().end(), suffix) !=
                ProjectLinks::Order().end();
            try {
                table->CheckFiles(
                    [&](const db::TableFault& f) {
                        using Kind = db::TableFault::Kind;
                        const CheckFault kind = f.kind == Kind::Header ? CheckFault::Header
                                                : f.kind == Kind::Memo ? CheckFault::Memo
                                                                       : CheckFault::Tag;
                        report(kind, name, f.recno,
                               f.kind == Kind::Memo ? "field " + f.where + ": " + f.what : f.what);
                    },
                    linked ? links.Walk(suffix, *table, name, report)
                           : ProjectLinks::RecordVisitor());
                if (linked)
                    links.EndWalk(suffix);
            } catch (const std::exception& e) {
                // A read that fails half-way: the rest of the project is still checked, but
                // nothing is judged by this table's IDs.
                report(CheckFault::Unreadable, name, 0, "reading it failed: " + OneLine(e.what()));
                links.Unreadable(suffix);
            }
            records += table->RecCount();
            run.Ui().SetProgress(++tables);
        }
        links.CheckPrimaryNames(report);
    }

    // Opens a table to read with its production index. An index that cannot be opened is a
    // fault, and the table is read without it; a table that cannot be opened at all is one
    // too (null). The table reads through the project's file system and caches in its budget.
    static std::unique_ptr<db::Table> Open(db::FileSystem& fs, const std::string& path,
                                           const std::string& name, db::MemoryBudget& budget,
                                           const FaultSink& report) {
        auto words = [](const std::exception& e) {
            std::string what = OneLine(e.what());
            const auto* dbError = dynamic_cast<const db::DbError*>(&e);
            if (dbError && !dbError->File().empty() && what.starts_with(dbError->File() + ": "))
                what.erase(0, dbError->File().size() + 2);
            return what;
        };
        try {
            return db::Table::Open(path, {.writable = false, .fs = &fs, .budget = &budget});
        } catch (const std::exception& withIndex) {
            try {
                auto table = db::Table::Open(
                    path,
                    {.writable = false, .productionIndex = false, .fs = &fs, .budget = &budget});
                report(CheckFault::Tag, name, 0, "its index cannot be read: " + words(withIndex));
                return table;
            } catch (const std::exception& e) {
                // A file cut short: its header counts more records than it holds.
                const std::string what = words(e);
                const bool header = what.starts_with("the header counts");
                report(header ? CheckFault::Header : CheckFault::Unreadable, name, 0,
                       header ? what : "it cannot be read: " + what);
                return nullptr;
            }
        }
    }

    void WriteTotals(RunScope& run) override {
        CLogFile& log = run.Log();
        log.LogCount("Tables checked", tables);
        log.LogCount("Records read", records);
        long faults = 0;
        for (size_t k = 0; k < kKinds; ++k) {
            log.LogCount(CheckFaultLabel(static_cast<CheckFault>(k)), counts[k]);
            faults += counts[k];
        }
        log.LogCount(kFaultsFoundLabel, faults);
    }
    bool ChangesData() const override { return false; }
};

} // namespace

std::unique_ptr<LoggedRun> CheckProjectFunction::Prepare(RunContext&, const ControlStates&) const {
    auto run = std::make_unique<CheckProjectRun>();
    run->confirmText = "Click [OK] to check every table, index and link of the project. "
                       "Nothing is changed.";
    run->columnHeading = "Table, Record, Fault";
    return run;
}

} // namespace hk
