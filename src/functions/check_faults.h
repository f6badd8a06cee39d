#pragma once
// The kinds of fault Check Project reports, each with the label of its total, and the sink
// its checks report to: the table's file, the record (0 for the table as a whole) and what is
// wrong.
#include <cstdint>
#include <functional>
#include <string>

namespace hk {

enum class CheckFault {
    Unreadable,
    Header,
    Memo,
    Tag,
    ParticipantEvent,
    ParticipantPerson,
    EventTagType,
    EventPlace,
    NamePerson,
    NameStyle,
    PlaceStyle,
    ParentChildPerson,
    CitationSource,
    NoPrimaryName,
    DoubledPrimaryName,
    Count // the number of kinds
};

const char* CheckFaultLabel(CheckFault kind);

using FaultSink = std::function<void(CheckFault kind, const std::string& table, uint32_t recno,
                                     const std::string& what)>;

} // namespace hk
