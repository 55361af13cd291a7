#pragma once

#include "engine/DateTime.h"
#include "platform/LocalTime.h"
#include "platform/Platform.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ryk {

class OperationEntry;
class OperationList;
struct FileFacts;

/// One attribute box: clear the bit, set it, or leave it as each file has it.
enum class TriState : uint8_t { Clear = 0, Set = 1, Unchanged = 2 };

/// The attribute bits the change offers, in the order of their boxes.
enum class AttributeBox : uint8_t { ReadOnly, Hidden, System, Archive };
inline constexpr size_t kAttributeBoxCount = 4;
/// The bit of each box.
uint32_t boxBit(AttributeBox box);

/// The state of the four boxes.
struct AttributeChoice {
    std::array<TriState, kAttributeBoxCount> boxes{TriState::Unchanged, TriState::Unchanged,
                                                   TriState::Unchanged, TriState::Unchanged};

    TriState& operator[](AttributeBox box) { return boxes[static_cast<size_t>(box)]; }
    TriState operator[](AttributeBox box) const { return boxes[static_cast<size_t>(box)]; }
    /// The bits a box changes.
    uint32_t mask() const;
    /// The new values of the bits in mask().
    uint32_t value() const;
    /// `word` with the chosen bits cleared or set; the "." and ".." marker never passes.
    uint32_t apply(uint32_t word) const;

    friend bool operator==(const AttributeChoice&, const AttributeChoice&) = default;
};

/// How the boxes show `words`: set where every word has the bit, clear where none has,
/// unchanged (indeterminate) where they differ or there are no words.
AttributeChoice commonState(const std::vector<uint32_t>& words);

/// The boxes of `chosen` that differ from `shown`, the state they started in; the others
/// leave their bit alone, so a box the user did not touch changes nothing.
AttributeChoice changedBoxes(const AttributeChoice& shown, const AttributeChoice& chosen);

/// The new last-write date and time of day, each replacing its part of a file's own.
struct DateChoice {
    bool setDate = false;
    /// Its year, month and day are used.
    LocalFields date;
    bool setTime = false;
    /// Its hour, minute and second are used.
    LocalFields time;

    bool any() const { return setDate || setTime; }
    /// The new local time of a file last written at `written`; false when a part is taken
    /// from it and it is not valid.
    bool compose(const DateTime& written, LocalFields& out) const;
};

/// Whose files a change acts on.
enum class ChangeSide { Source, Target };

/// What the attribute window asks for.
struct ChangeRequest {
    AttributeChoice attributes;
    DateChoice dates;
    ChangeSide side = ChangeSide::Source;

    /// True when no box changes a bit and no date or time is set: nothing is touched.
    bool changesNothing() const { return attributes.mask() == 0 && !dates.any(); }
};

/// One file or directory a change acts on: the facts of one side of the entry at `row`.
struct ChangeTarget {
    size_t row = 0;
    FileFacts* facts = nullptr;
    /// The entry whose planned target `facts` are: a change made here is the user's own, so the
    /// run's check that the target is unchanged since planning starts from it.
    OperationEntry* plannedTarget = nullptr;
};

/// The files behind `rows` (any order, repeats and rows beyond the list ignored), ascending:
/// the chosen side of each entry, where a file was found there, and the directory of a
/// directory row on its side while the directory stands (a Rmdir's until it ran, a Mkdir's
/// once it ran, and on the source side the directory a Mkdir mirrors). A target not copied
/// yet has nothing to change.
std::vector<ChangeTarget> changeTargets(OperationList& list, const std::vector<int>& rows,
                                        ChangeSide side);

/// The attribute words of the targets as the disk has them now (a scan may not have read
/// every bit); a file that cannot be read is left out.
std::vector<uint32_t> currentWords(FileSystem& fileSystem,
                                   const std::vector<ChangeTarget>& targets);

/// Hears how far a change has come.
class ChangeObserver {
public:
    virtual ~ChangeObserver() = default;
    /// The facts of the target at `row` were read again; `changed` targets counted so far.
    virtual void targetDone(size_t row, size_t changed) = 0;
};

/// What a change did.
struct ChangeSummary {
    /// Targets where at least one step was accepted.
    size_t changed = 0;
    /// Targets where a step was refused (each shown to the user).
    size_t failed = 0;
    bool aborted = false;
};

/// Applies `request` to each target in order: the attribute word first, then the last-write
/// time, each refusal shown with ShowSystemError naming the file. Afterwards each target's
/// facts are those read again from the disk, whatever was accepted. The abort key is polled
/// between targets.
ChangeSummary applyChange(const Platform& platform, const std::vector<ChangeTarget>& targets,
                          const ChangeRequest& request, ChangeObserver* observer = nullptr);

/// "日付が書き込めません? : %d/%d/%d %d:%02d:%02d"
std::string timeRefusedText(const LocalFields& fields,
                            const Translation& translation = kUntranslated);

} // namespace ryk
