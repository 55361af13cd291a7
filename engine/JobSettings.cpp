#include "engine/JobSettings.h"

namespace ryk {

const char* modeName(TransferMode mode) {
    switch (mode) {
    case TransferMode::Update:
        return "更新モード";
    case TransferMode::Move:
        return "移動モード";
    case TransferMode::Search:
        return "検索モード";
    case TransferMode::Delete:
        return "削除モード";
    case TransferMode::Response:
        return "応答モード";
    case TransferMode::Sync:
        return "同期モード";
    }
    return "";
}

void applyDefaults(std::string& directory, std::string& pattern) {
    if (directory.empty()) {
        directory.assign(1, '.');
        if (pattern == ".")
            pattern.clear();
    }
    if (pattern.empty())
        pattern = kDefaultPattern;
}

} // namespace ryk
