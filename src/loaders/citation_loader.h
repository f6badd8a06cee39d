#pragma once
// CTMGCitationLoader: the citations ("S") and sources ("M") of the current dataset: the
// citations of one cited record (counted, listed, deleted, their best sureties), sources by
// number or reference number, source types, and the parts of a citation that rules and
// find-and-replace read and change (PartValue), and what the source exporters write of a source:
// its element values, its repositories and its templates filled in.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/format_settings.h"
#include "formats/style_formatter.h"
#include "loaders/loader_table.h"
#include "loaders/place_loader.h"
#include "loaders/repository_loader.h"
#include "loaders/source_elements.h"
#include "loaders/source_formatter.h"
#include "support/set_long.h"
#include "support/set_long_sequence.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

struct CitationValues {
    uint32_t physRec = 0;
    long recNo = 0; // RecNo, or the physical record number without that field
    char sType = ' ';
    long refRec = 0, majSource = 0;
    std::string detail;                                    // SubSource: the citation detail
    std::array<char, 5> sureties{' ', ' ', ' ', ' ', ' '}; // SNSure SSSure SDSure SPSure SFSure
    bool isPicked = false, exclude = false;
    std::string reference, memo; // CitRef, CitMemo
    long sequence = 0;
};

struct SourceValues {
    uint32_t physRec = 0;
    bool active = false;
    long majNum = 0, refId = 0;
    std::string abbrev;
    char defSure = ' ';
    std::string title;
    long type = 0, recorder = 0, media = 0, fidelity = 0, indexed = 0, status = 0;
    std::string text;
    bool isPicked = false;
    long sPerNo = 0, subjectId = 0, compilerId = 0, editorId = 0, sPerNo2 = 0;
    std::string fForm, sForm, bForm;
    bool cited = false;
    std::string firstCd, info;
    long ibidType = 0;
    std::string uncitedFld;
    long custType = 0;
    std::string reminders;
};

struct SourceTypeValues {
    std::string name;
    long ruleSet = 0, sourType = 0, transTo = 0;
    std::string foot, shortForm, bib, custFoot, custShort, custBib;
    bool primary = false;
};

class CTMGCitationLoader {
public:
    static constexpr int kPartCount = 26;
    static constexpr int kMaxSubParts = 9;
    static constexpr std::string_view kSubPartSeparator = "||";
    // What the source formatter is given for a missing publisher and a missing place.
    static constexpr std::string_view kNoPublisher = kSourceNoPublisher;
    static constexpr std::string_view kNoPlace = kSourceNoPlace;
    // The name style repository names are written with unless the caller names another.
    static constexpr long kStandardNameStyle = 2;

    void OpenTables(db::CTMGDB& db);
    void CloseTables() noexcept;
    void SetSkipExcluded(bool on) { skipExcluded_ = on; }

    // Walks every citation of the dataset (by ByRec), loading each.
    bool MoveFirst();
    bool MoveNext();
    bool SeekCitation(long recNo);
    void LoadCitation();
    void LoadSource();
    const CitationValues& Citation() const { return citation_; }
    const SourceValues& Source() const { return source_; }

    // The citations of one cited record (type letter and record number).
    long CountCitations(char sType, long refRec);
    db::CSetLong GetCitedSources(char sType, long refRec);
    long DeleteCitations(char sType, long refRec);
    // Physical record numbers with their Sequence (in sequence order when the table has it).
    db::CSetLongSequence GetCitationRecords(char sType, long refRec);
    // Per position the highest surety over the citations, five characters.
    std::string GetBestSurety(char sType, long refRec);

    bool SeekSource(long majNum);
    bool SeekSourceByRef(long refId);

    // Part values of the loaded citation (ids 0-25); ids 12-15 are texts the caller fills.
    std::string PartValue(int index) const;
    void SetPartValue(int index, std::string_view value);
    static std::string_view PartName(int index);
    // Writes the loaded citation's detail, memo, reference, sureties and source back; the
    // "Source #" part names a source by reference number.
    void SaveCitation();

    // The source type of a category (rule set) and type, a custom type winning when given.
    // Raises "Source Type Not Found (...)" when there is none.
    SourceTypeValues GetSourceType(long category, long sType, long custType);
    // " getting source type for #<number>, Source Category=<category>": what a report adds.
    static std::string SourceTypeContext(long sourceNumber, long category);

    const CTMGSourceElements& Elements() const { return elements_; }
    // The value an element (by name, without brackets) has in the loaded source's INFO.
    std::string ElementValue(std::string_view elementName) const;

    // Source output, for the loaded source and its type.
    // Its templates: the source's own FFORM, SFORM and BFORM, else the type's custom ones,
    // else the type's, each when not empty.
    SourceTexts SourceTemplates(const SourceTypeValues& type) const;
    // The elements those templates use (footnote, short footnote, bibliography), in the order
    // of their first use, one per element group, with their INFO values. Names the project
    // does not know are left out.
    std::vector<SourceElementValue> SourceElementValues(const SourceTypeValues& type) const;
    // Its repositories, primary first, then in link order. Names are packed like the names of
    // older projects (surname, title, given, suffix) and written through the name style's
    // output template (its parts joined by blanks when the formatter lacks the style);
    // addresses through their place's style, or empty when the place is not there.
    std::vector<SourceRepository> GetSourceRepositories(CTMGRepositoryLoader& repositories,
                                                        CTMGPlaceLoader& places,
                                                        const CTMGStyleFormatter& styles,
                                                        const FormatSettings& settings,
                                                        long nameStyle = kStandardNameStyle) const;
    // Its templates filled in (CTMGSourceFormatter), the repository elements from the first
    // primary repository of the list; the citation elements from the loaded citation when
    // withCitation, empty otherwise.
    SourceTexts FormatSource(const SourceTypeValues& type,
                             const std::vector<SourceRepository>& repositories,
                             bool withCitation) const;

    db::Table& CitationTable() const { return s_.Tbl(); }
    db::Table& SourceTable() const { return m_.Tbl(); }

private:
    template <typename Fn> void ForEachCitation(char sType, long refRec, Fn&& fn);
    std::vector<std::string> SubParts() const;
    void OpenSourceTypes();

    db::CTMGDB* db_ = nullptr;
    LoaderTable s_, m_;
    LoaderTable a_; // source types, opened by the first GetSourceType
    db::Tag* sByRef_ = nullptr;
    db::Tag* sByRecNo_ = nullptr;
    db::Tag* mByNum_ = nullptr;
    db::Tag* mByRefId_ = nullptr;
    CTMGSourceElements elements_;
    bool skipExcluded_ = false;
    bool hasRefId_ = false;
    long walkKey_ = 0;
    int sType_ = -1, sRefRec_ = -1, sMajSource_ = -1, sSubSource_ = -1, sIsPicked_ = -1,
        sExclude_ = -1, sSequence_ = -1, sRecNo_ = -1, sCitRef_ = -1, sCitMemo_ = -1;
    std::array<int, 5> sSure_{-1, -1, -1, -1, -1};
    int mActive_ = -1, mMajNum_ = -1, mRefId_ = -1, mAbbrev_ = -1, mDefSure_ = -1, mTitle_ = -1,
        mType_ = -1, mRecorder_ = -1, mMedia_ = -1, mFidelity_ = -1, mIndexed_ = -1, mStatus_ = -1,
        mText_ = -1, mIsPicked_ = -1, mSPerNo_ = -1, mSubjectId_ = -1, mCompilerId_ = -1,
        mEditorId_ = -1, mSPerNo2_ = -1, mFForm_ = -1, mSForm_ = -1, mBForm_ = -1, mCited_ = -1,
        mFirstCd_ = -1, mInfo_ = -1, mIbidType_ = -1, mUncitedFld_ = -1, mCustType_ = -1,
        mReminders_ = -1;
    int aName_ = -1, aRuleSet_ = -1, aSourType_ = -1, aTransTo_ = -1, aFoot_ = -1, aShort_ = -1,
        aBib_ = -1, aCustFoot_ = -1, aCustShort_ = -1, aCustBib_ = -1, aPrimary_ = -1;
    CitationValues citation_;
    SourceValues source_;
    long sourceRefNumber_ = 0;               // part 8 as set
    std::array<std::string, 4> personParts_; // parts 12-15
};

} // namespace hk
