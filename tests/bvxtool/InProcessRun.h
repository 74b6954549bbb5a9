// bvxtool's commands run in-process, with what they print to each stream.
#pragma once

#include "bvxtool_commands.h"

#include <sstream>
#include <string>

struct ToolResult {
    int status;
    std::string out;
    std::string err;
};

inline ToolResult RunInProcess(const bvxtool::Arguments &commandLine) {
    std::ostringstream out, err;
    const int status = bvxtool::RunCommand(commandLine, out, err, false);
    return {status, out.str(), err.str()};
}
