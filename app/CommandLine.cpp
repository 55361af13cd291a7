#include "app/CommandLine.h"

#include "engine/Patterns.h"
#include "platform/MessageBox.h"
#include "platform/text/Ascii.h"

#include <string_view>

namespace ryk {

namespace {

/// The message box, telling texts in the user's language.
struct Messages {
    MessageBox& box;
    const Translation& translation;

    void tell(SourceText text, const std::string& tail = {}) { box.tell(translation(text) + tail); }
};

constexpr SourceText kArgumentTooLong = translatable("CommandLine", "パラメータが長すぎます...");
constexpr SourceText kSecondResponseFile =
    translatable("CommandLine", "応答モードでは応答ファイルを２つ以上指定できません。");
constexpr SourceText kNoRemoveInUpdate =
    translatable("CommandLine", "更新モードでは -rm オプションは無効です");
constexpr SourceText kNoRecursionOptionsInSearch =
    translatable("CommandLine", "検索モードでは -e -e0 -rm オプションは無効です。");
// Delete mode shows this text too, naming Search mode; users and scripts know it this way.
constexpr SourceText kNoEmptyDirectoryOptions =
    translatable("CommandLine", "検索モードでは -e -e0 オプションは無効です。");
constexpr SourceText kNoDateOptions =
    translatable("CommandLine", "検索/削除モードでは -x -u -u0 オプションは無効です。");
constexpr SourceText kUnknownOption = translatable("CommandLine", "不明なオプションです: ");
constexpr SourceText kEmptyPath = translatable("CommandLine", "空のパスは指定できません。");
constexpr SourceText kThirdPath =
    translatable("CommandLine", "パスは転送元と転送先の２つまでです: ");
// An unquoted pattern reaches us as the files it matched, one argument each.
constexpr SourceText kQuotePatterns = translatable(
    "CommandLine", "ワイルドカードを含むパスは引用符で囲んでください (例: \"src/*.c\")。");

/// Every option in its one spelling (lower case); "-w" also takes the patterns that follow it.
constexpr std::string_view kOptions[] = {"-s", "-sd", "-m", "-@",  "-=", "-r", "-rm",
                                         "-e", "-e0", "-u", "-u0", "-x", "-i", "-?"};

bool isOption(std::string_view token) {
    if (token.starts_with("-w"))
        return true;
    for (const std::string_view option : kOptions)
        if (token == option)
            return true;
    return false;
}

void appendExclusion(PatternList& exclusions, std::string_view pattern) {
    if (!exclusions.empty() && exclusions.back() != ';')
        exclusions += ';';
    exclusions += pattern;
}

/// One option token, read whole: the letter after the '-' and an optional variant character.
/// False for anything that is not one of our options as spelt ("-sdcard" is no "-sd").
bool applyOption(std::string_view option, JobSettings& job, StartupFlags& flags) {
    const std::string token = lowerAscii(option);
    if (!isOption(token))
        return false;
    const char letter = token[1];
    const char variant = token.size() > 2 ? token[2] : '\0';
    OptionFlags& f = job.flags;

    // Within each group the last option wins.
    if (letter == 'e' || letter == 'r') {
        f.clearRecursionGroup();
        f.subdirectories = 1;
    } else if (letter == 'u' || letter == 'x') {
        f.clearDateGroup();
        f.dateConditions = 1;
    }

    switch (letter) {
    case '=':
        job.mode = TransferMode::Sync;
        break;
    case '?':
        flags.showUsage = true;
        break;
    case '@':
        job.mode = TransferMode::Response;
        break;
    case 'e':
        if (variant == '0')
            f.directoriesOnly = 1;
        else
            f.includeEmptyDirectories = 1;
        break;
    case 'i':
        flags.noSettingsFile = true;
        break;
    case 'm':
        job.mode = TransferMode::Move;
        break;
    case 'r':
        f.recurse = 1;
        if (variant == 'm')
            f.removeSourceDirectories = 1;
        break;
    case 's':
        job.mode = variant == 'd' ? TransferMode::Delete : TransferMode::Search;
        break;
    case 'u':
        if (variant == '0')
            f.onlyMissing = 1;
        else
            f.onlyExisting = 1;
        break;
    case 'w':
        appendExclusion(job.exclusionPatterns, std::string_view(token).substr(2));
        break;
    case 'x':
        f.ignoreDates = 1;
        break;
    default:
        break;
    }
    return true;
}

/// Takes one path argument; false, after a message, when the command line must be refused. A
/// path dropped or skipped would shift the next one into its place, and a source or destination
/// left out defaults to the current directory.
bool takePathArgument(const std::string& argument, JobSettings& job, FileSystem& fileSystem,
                      Messages& messages) {
    if (argument.empty()) {
        messages.tell(kEmptyPath);
        return false;
    }
    if (argument.size() >= kMaxArgumentBytes) {
        messages.tell(kArgumentTooLong);
        return false;
    }
    if (job.mode == TransferMode::Response) {
        if (job.sourcePatterns.empty())
            job.sourcePatterns = argument;
        else
            messages.tell(kSecondResponseFile);
        return true;
    }
    if (job.sourceDirectory.empty() && job.sourcePatterns.empty()) {
        (void)SplitPathArgument(fileSystem, argument, job.sourceDirectory, job.sourcePatterns);
    } else if (job.destinationDirectory.empty() && job.destinationPattern.empty()) {
        (void)SplitPathArgument(fileSystem, argument, job.destinationDirectory,
                                job.destinationPattern);
    } else {
        messages.tell(kThirdPath, argument + "\n" + messages.translation(kQuotePatterns));
        return false;
    }
    return true;
}

/// Drops option groups that make no sense in the chosen mode; the mode may have been given
/// after the options, so this runs once the whole command line is read.
void validate(JobSettings& job, Messages& messages) {
    OptionFlags& f = job.flags;
    if (f.subdirectories) {
        const SourceText* message = nullptr;
        switch (job.mode) {
        case TransferMode::Update:
            if (f.removeSourceDirectories)
                message = &kNoRemoveInUpdate;
            break;
        case TransferMode::Search:
            if (f.removeSourceDirectories || f.includeEmptyDirectories || f.directoriesOnly)
                message = &kNoRecursionOptionsInSearch;
            break;
        case TransferMode::Delete:
            if (f.includeEmptyDirectories || f.directoriesOnly)
                message = &kNoEmptyDirectoryOptions;
            break;
        default:
            break;
        }
        if (message) {
            messages.tell(*message);
            f.clearRecursionGroup();
        }
    }
    const bool searchOrDelete =
        job.mode == TransferMode::Search || job.mode == TransferMode::Delete;
    if (f.dateConditions && searchOrDelete && (f.ignoreDates || f.onlyMissing || f.onlyExisting)) {
        messages.tell(kNoDateOptions);
        f.clearDateGroup();
    }
}

} // namespace

bool readCommandLine(const std::vector<std::string>& arguments, JobSettings& job,
                     StartupFlags& flags, FileSystem& fileSystem, MessageBox& messageBox,
                     const Translation& translation) {
    Messages messages{messageBox, translation};
    job.mode = TransferMode::Update;
    flags.showUsage = false;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        // Only '-' starts an option: a leading '/' is how every absolute path begins.
        if (optionsEnded || argument.empty() || argument.front() != '-') {
            if (!takePathArgument(argument, job, fileSystem, messages))
                return false;
            continue;
        }
        // A typo or a name that looks like an option must not shift the paths after it: the
        // next path would become the source and the destination would default to ".".
        if (!applyOption(argument, job, flags)) {
            messages.tell(kUnknownOption, argument);
            return false;
        }
    }
    validate(job, messages);
    return true;
}

namespace {

constexpr SourceText kUsage =
    translatable("CommandLine", "Usage:ryk [option] <source> [dest]\n"
                                "\n"
                                "    <source>  転送元\n"
                                "    [dest]    転送先\n"
                                "              ワイルドカード指定可能。\n"
                                "              (ディレクトリの場合必ず最後に/をつける)\n"
                                "              (複数のワイルドカードを指定する場合;をつける)\n"
                                "              Ex. /mnt/a/*.c;*.h\n"
                                "\n"
                                "    [option]は英文字は大小区別しません\n"
                                "    -s   検索モード\n"
                                "    -sd  削除モード\n"
                                "    -m   移動モード\n"
                                "    -@   応答モード\n"
                                "    -=   同期モード\n"
                                "         (上記5つのオプションを指定しないときは更新モードになる)\n"
                                "    -r   サブディレクトリ有効\n"
                                "    -rm  サブディレクトリ削除を有効にする\n"
                                "         (移動・削除モードでのみ有効)\n"
                                "    -e   サブディレクトリ有効(空のも含む)\n"
                                "    -e0  ディレクトリのみコピー\n"
                                "    -u   更新先にあるファイルのみ\n"
                                "    -u0  更新先にないファイルのみ\n"
                                "    -x   日付の比較をしない\n"
                                "    -w<wild card>\n"
                                "         除外ワイルドカード(ファイル名のみ)\n"
                                "\n"
                                "    -?   ヘルプ表示\n"
                                "    -i   初期化ファイルRyk.INIにアクセスしない\n"
                                "\n"
                                "    Rykmere を開きますか？\n");

constexpr SourceText kTerminalOptions =
    translatable("CommandLine",
                 "    ryk-cli だけのオプション (-- より前に書く)\n"
                 "    --run                 計画した一覧を実行する\n"
                 "    --create-destination  ない転送先のディレクトリを作る\n"
                 "    --explorer            コピー・移動・削除をまとめて行う (Explorer 形式)\n"
                 "    --skip-unchanged      大きさと更新日時が同じファイルは同期しない\n"
                 "                          (同期モードでのみ有効)\n"
                 "    --trash               削除するファイルと上書きされるファイルをごみ箱へ移す\n"
                 "    --verify              コピーしたファイルを読み直して元と比べる\n"
                 "    --hard-links          同じファイルの別名はハードリンクにする\n"
                 "                          (更新・同期モードでのみ有効)\n"
                 "    --json                一覧と結果を JSON Lines で出力する\n"
                 "    --help                ヘルプ表示\n"
                 "    --version             バージョン表示\n");

} // namespace

const std::string& usageText() {
    static const std::string text = kUsage.text;
    return text;
}

std::string usageText(const Translation& translation) {
    return translation(kUsage);
}

const std::string& terminalUsageText() {
    static const std::string text = terminalUsageText(kUntranslated);
    return text;
}

std::string terminalUsageText(const Translation& translation) {
    // The box's closing question and the empty line before it go; the options only ryk-cli
    // takes follow.
    const std::string full = translation(kUsage);
    const size_t end = full.rfind("\n\n");
    return full.substr(0, end + 1) + "\n" + translation(kTerminalOptions);
}

} // namespace ryk
