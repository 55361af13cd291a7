#include "engine/FileInformation.h"

#include "engine/DateTime.h"
#include "engine/FileUtility.h"
#include "engine/OperationEntry.h"
#include "platform/FileSystem.h"

#include <chrono>
#include <ctime>
#include <utility>

namespace ryk {

bool FileInformation::isPending() const {
    return state == kStatePending;
}

bool FileInformation::offersComparison() const {
    return isPending() && !source.size.empty() && source.size == target.size;
}

std::string FileInformation::errorText() const {
    return isPending() ? std::string() : ryk::errorText(lastError);
}

FileInformation describeEntry(const OperationEntry& entry) {
    FileInformation info;
    info.source = describeFacts(entry.source);
    info.target = describeFacts(entry.target());
    info.state = entry.state;
    info.lastError = entry.lastError;
    info.sourceLength = entry.source.size;
    return info;
}

FileInformation describeEntry(const OperationEntry& entry, FileSystem& fileSystem) {
    FileInformation info = describeEntry(entry);
    const FileFacts target = entry.target();
    for (const auto& [facts, texts] :
         {std::pair{&entry.source, &info.source}, std::pair{&target, &info.target}}) {
        FileStatus status;
        if (facts->found && fileSystem.status(facts->path.str(), status, LinkMode::Describe) == 0)
            texts->attributes = attributeText(status.attributes);
    }
    return info;
}

FactsTexts describeFacts(const FileFacts& facts) {
    FactsTexts texts;
    texts.path = facts.path.str();
    if (!facts.found)
        return texts;
    texts.date = fileDateText(facts.lastWriteTime());
    texts.attributes = attributeText(facts.attributes);
    texts.size = FileUtility::FormatSize(static_cast<int64_t>(facts.size));
    return texts;
}

std::string attributeText(uint32_t attributes) {
    std::string text = "RHS DAENTsRCo_";
    for (size_t i = 0; i < text.size(); ++i) {
        if (!(attributes & (1u << i)))
            text[i] = ' ';
    }
    return text;
}

std::string fileDateText(const DateTime& date) {
    LocalFields fields;
    if (!date.valid || !date.toLocalFields(fields))
        return {};
    using namespace std::chrono;
    const year_month_day day{year{fields.year}, month{static_cast<unsigned>(fields.month)},
                             std::chrono::day{static_cast<unsigned>(fields.day)}};
    std::tm tm{};
    tm.tm_year = fields.year - 1900;
    tm.tm_mon = fields.month - 1;
    tm.tm_mday = fields.day;
    tm.tm_hour = fields.hour;
    tm.tm_min = fields.minute;
    tm.tm_sec = fields.second;
    tm.tm_wday = static_cast<int>(weekday{sys_days{day}}.c_encoding());
    char text[128];
    const size_t length = std::strftime(text, sizeof text, "%Y/%m/%d(%a) %H:%M:%S", &tm);
    return std::string(text, length);
}

} // namespace ryk
