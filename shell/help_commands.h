#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace ornavex {

class FileListModel;
class Prompts;

// The maker's web pages.
QString MainPageAddress();
QString FaqPageAddress();
QString ContactPageAddress();

// Opens a target with the desktop's default handler, never through a shell.
// Tests replace the opener to see what would be opened; an empty opener
// restores the desktop's.
using TargetOpener = std::function<void(const QString& target, bool isUrl)>;
void SetTargetOpener(TargetOpener opener);

void ShowContactMessage(QWidget& parent, Prompts& prompts);
// The About box: the program, its version and what it does.
void ShowAbout(QWidget& parent, Prompts& prompts);
void OpenFaqPage();
void OpenMainPage();
// The first file of the Video folder beside the program, or the folder.
void OpenDemoVideo();
// The start-up visit: draws a number from 1 to 100 from uniform (a value in
// [0, 1)) and opens the main page when it is 7. Returns whether it opened.
bool MainPageDraw(const std::function<double()>& uniform);
// A uniform source seeded from the clock, for the real start-up.
std::function<double()> ClockSeededUniform();

// Appends the files of the Samples folder and offers to open that folder.
void LoadSampleFiles(QWidget& parent, Prompts& prompts, FileListModel& files);

} // namespace ornavex
