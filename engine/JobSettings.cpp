#include "engine/JobSettings.h"

namespace ryk {

const char* modeName(TransferMode mode) {
    switch (mode) {
    case TransferMode::Update:
        return translatable("TransferMode", "更新モード").text;
    case TransferMode::Move:
        return translatable("TransferMode", "移動モード").text;
    case TransferMode::Search:
        return translatable("TransferMode", "検索モード").text;
    case TransferMode::Delete:
        return translatable("TransferMode", "削除モード").text;
    case TransferMode::Response:
        return translatable("TransferMode", "応答モード").text;
    case TransferMode::Sync:
        return translatable("TransferMode", "同期モード").text;
    }
    return "";
}

std::string modeName(TransferMode mode, const Translation& translation) {
    return translation.translate("TransferMode", modeName(mode));
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
