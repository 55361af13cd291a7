#pragma once

#include <cstdint>
#include <string>

namespace ryk {

class FileSystem;
class OperationEntry;
struct DateTime;
struct FileFacts;

/// The texts of one side of an entry as the file information window shows them.
struct FactsTexts {
    std::string path;
    /// Empty, like the next two, for a file that was not found.
    std::string date;
    std::string attributes;
    std::string size;
};

/// What the file information window shows of one entry.
struct FileInformation {
    FactsTexts source;
    FactsTexts target;
    /// The entry's state (kStatePending, kStateFailed, kStateDone) and its recorded error.
    int32_t state = -1;
    int32_t lastError = 0;
    /// The source size the plan found: what a comparison expects to walk.
    uint64_t sourceLength = 0;

    /// True before the entry has run.
    bool isPending() const;
    /// The comparison is offered for a pending entry whose two size texts are the same (so
    /// never when a side was not found).
    bool offersComparison() const;
    /// The system's text of the recorded error, for an entry that has run.
    std::string errorText() const;
};

/// The file information of `entry`: each side's path, date, attributes and size; a side that
/// was not found shows its planned path alone.
FileInformation describeEntry(const OperationEntry& entry);
/// describeEntry with the attributes of each side that was found as they are on the disk now:
/// the plan does not read the bits kept in extended attributes (hidden, system, archive). A
/// side that is gone keeps the planned attributes.
FileInformation describeEntry(const OperationEntry& entry, FileSystem& fileSystem);

/// The texts of one side: its found path and facts, or the planned path alone.
FactsTexts describeFacts(const FileFacts& facts);

/// "RHS DAENTsRCo_" with a space for each clear bit (bit i for character i).
std::string attributeText(uint32_t attributes);

/// The local date as "%Y/%m/%d(%a) %H:%M:%S" (the weekday in the C library's locale); empty
/// for an invalid date.
std::string fileDateText(const DateTime& date);

} // namespace ryk
