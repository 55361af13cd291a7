#pragma once

namespace ryk {

class FileSystem;
class MessageBox;
class AbortKey;

/// The world as the engine sees it: the file system, the user's answers and the abort key.
struct Platform {
    FileSystem& fileSystem;
    MessageBox& messageBox;
    AbortKey& abortKey;
};

} // namespace ryk
