// The scripts a suite runs, in a stable order: the operands as given, each
// a script or a folder; a folder's *.mbc files (the ending in any letter
// case) below it, its entries sorted without letter case and then byte by
// byte, files and folders walked depth first. Each script once, however
// often it is named or reached.
#pragma once

#include <string>
#include <vector>

namespace refhost {

struct SuiteScript {
  std::string path;  // as the system reads it
  // As the summary shows it, with "/" between folders: its path below the
  // folder, or, when several operands are given, below the folder above the
  // operand (so that each name starts with its operand's own name).
  std::string name;
  std::string output;  // its output folder below OUTPUT_FOLDER: the name without .mbc
  std::string group;   // its folder in the name, "." when none
  // Not empty: the operand names no script (missing, or a folder without
  // one), and says so; counted as a script that could not be run.
  std::string problem;
};

std::vector<SuiteScript> FindSuiteScripts(const std::vector<std::string>& operands);

// Whether `path` is a folder, which makes "mbc_runner FOLDER" a suite.
bool IsFolder(const std::string& path);

}  // namespace refhost
