#pragma once

#include <string>
#include <vector>

#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace tarvix::test {

struct ToolResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

/// The words as one shell command line.
inline std::string commandLine(const std::vector<std::string>& words)
{
    std::string line;
    for (const auto& word : words) line += (line.empty() ? "" : " ") + shellWord(word);
    return line;
}

/// Runs a shell command line, its standard error kept apart.
inline ToolResult runTool(const std::string& line)
{
    TempDir scratch;
    const auto errFile = scratch.path() / "err";
    ToolResult result;
    result.out = runCommand("{ " + line + "; } 2>" + shellWord(errFile), &result.exitStatus);
    result.err = readFile(errFile);
    return result;
}

}  // namespace tarvix::test
