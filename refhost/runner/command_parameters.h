// A command's parameters as a script author needs them: in the order its
// export takes them. The command table's hints are shown as the host shows
// them and stay as they are, but one of them names two parameters the wrong
// way round ("MBC Box": "Left, Top, Bottom, Right", where the command takes
// the right column fourth and the bottom row fifth; docs/commands.md). The
// runner keeps the order each such export really takes, and says where the
// hint differs wherever it names parameters: argument-count and argument
// mistakes, and the command list of --help.
#pragma once

#include <string>
#include <vector>

#include "refhost/runner/command_row.h"
#include "refhost/runner/command_set.h"

namespace refhost {

// The parameters in the order the command takes them: its hint's names, put
// in the export's order where the runner knows the hint to differ.
std::vector<std::string> Parameters(const CommandRow& row);
// The same joined with ", ".
std::string ParameterList(const CommandRow& row);

// Where the hint's order differs from the command's, what each says ("the
// command table's hint gives the 4th and 5th as Bottom, Right; the command
// takes Right, Bottom"); "" when they agree.
std::string HintDifference(const CommandRow& row);

// For --help: every command of the plug-in's table as a script writes it,
// with its parameters in the order it takes them.
std::string CommandsHelp(const CommandSet& commands);

}  // namespace refhost
