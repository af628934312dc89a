#pragma once

#include <QWidget>
#include <cstdint>

class QLabel;
class QProgressBar;

namespace ornavex {

// The strip at the bottom of the main window while a run or a folder scan
// lasts: what is being read, how far, and a Cancel button.
class ProgressPanel : public QWidget {
    Q_OBJECT
public:
    explicit ProgressPanel(QWidget* parent = nullptr);

    void ShowScanning();
    void ShowRun(std::uint64_t bytesDone, std::uint64_t totalBytes, const QString& currentFile);

signals:
    void cancelRequested();

private:
    QLabel* label_;
    QProgressBar* bar_;
};

} // namespace ornavex
