#pragma once

#include "platform/Translation.h"

namespace ryk {

class FileSystem;
class MessageBox;
class AbortKey;
class FileBatch;

/// The world as the engine sees it: the file system, the user's answers, the abort key and the
/// batch file operation ("Explorer 形式"; null where there is none) and the translation of the
/// texts it shows.
struct Platform {
    FileSystem& fileSystem;
    MessageBox& messageBox;
    AbortKey& abortKey;
    FileBatch* fileBatch = nullptr;
    const Translation& translation = kUntranslated;
};

} // namespace ryk
