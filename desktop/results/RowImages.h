#pragma once

#include "engine/OperationEntry.h"
#include "engine/RunObserver.h"

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QPixmap>
#include <array>
#include <cstdint>

namespace ryk {

/// The mark a row carries for its entry's run state; it picks the image drawn over the row's.
enum class RowOverlay : int32_t { None = 0, Failed = 1, Done = 2, Running = 3, Batch = 4 };

/// The mark of a row whose entry came to `outcome`.
constexpr RowOverlay overlayFor(EntryOutcome outcome) {
    switch (outcome) {
    case EntryOutcome::Done:
        return RowOverlay::Done;
    case EntryOutcome::Failed:
        return RowOverlay::Failed;
    case EntryOutcome::Deferred:
        return RowOverlay::Batch;
    case EntryOutcome::NoAction:
        break;
    }
    return RowOverlay::None;
}

/// The row images of the result list, drawn once: one per command, and each of them with each
/// run mark (failed, done, running, handed to the batch) drawn over it.
class RowImages {
public:
    /// Side of an image in device-independent pixels.
    static constexpr int kSize = 16;
    static constexpr int kCommands = 9;
    static constexpr int kOverlays = 5;

    RowImages();

    /// The image of a row with `command` and `overlay` (commands and overlays out of range give
    /// an empty image).
    const QPixmap& image(OperationCommand command, RowOverlay overlay) const;

    /// The program's own icon, shown in the caption and beside the summary.
    static QIcon programIcon();

private:
    std::array<QPixmap, kCommands * kOverlays> m_images;
    QPixmap m_empty;
};

/// The icons of the files behind entries, as the desktop shows their kinds.
class FileIcons {
public:
    /// A folder for a directory line; otherwise the icon of the file's type, told by its name.
    QIcon icon(const OperationEntry& entry);

private:
    QFileIconProvider m_provider;
    QMimeDatabase m_mimeTypes;
    /// Each type's icon as the theme gave it: looking it up takes longer than copying a small
    /// file, and a run shows one per status line.
    QHash<QString, QIcon> m_byType;
};

} // namespace ryk
