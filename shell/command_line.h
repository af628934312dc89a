#pragma once

#include <cstdio>
#include <filesystem>
#include <vector>

namespace ornavex {

// Where the options for Qt end on the desktop program's command line: at
// "--", or at the end. Only what comes before goes to QApplication, so a
// file named like one of Qt's options (-platform, -reverse) can be opened.
int QtOptionsEnd(int argc, char** argv);

// The files and folders named on the command line: what QApplication left
// of the part before "--" (argv[1] to argv[leftByQt - 1]), then every
// argument after "--".
std::vector<std::filesystem::path> NamedPaths(int leftByQt, char** argv, int optionsEnd, int argc);

// The program's name and version, as --version and the About box give it.
const char* ProgramVersion();

// Answers --help (-h) or --version among the options before "--" on out;
// true when one was answered and the program is done. Nothing else of the
// command line is looked at, and no window is needed.
bool AnswerInformationOptions(int optionsEnd, char** argv, std::FILE* out);

} // namespace ornavex
