#include "Problem.h"

#include "NumberText.h"

namespace tintwright {

std::string Problem::text(const std::string &file, int line, std::optional<std::uint64_t> offset,
                          const std::string &reason) {
    std::string where = file;
    const auto add = [&](const std::string &part) { where += (where.empty() ? "" : ", ") + part; };
    if (line > 0)
        add("line " + std::to_string(line));
    if (offset)
        add("offset " + NumberText::offset(std::int64_t(*offset)));
    return where.empty() ? reason : where + ": " + reason;
}

} // namespace tintwright
