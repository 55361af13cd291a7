#include "app/CommandLine.h"

namespace ryk {

void readCommandLine(const std::vector<std::string>&, JobSettings&, StartupFlags&, FileSystem&,
                     MessageBox&) {}

const std::string& usageText() {
    static const std::string text;
    return text;
}

} // namespace ryk
