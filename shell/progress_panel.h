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
    // A run begins: nothing of an earlier scan or run stays on show.
    void ShowRunStarting();
    // diskBytes: temporary data on disk, once the addresses outgrew the set;
    // diskPercent: how far they are de-duplicated part by part after the
    // last file, or -1 while files are read.
    void ShowRun(std::uint64_t bytesDone, std::uint64_t totalBytes, const QString& currentFile,
                 std::uint64_t diskBytes = 0, int diskPercent = -1);
    QString text() const;

signals:
    void cancelRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Shows text, cut in the middle where it is too long: a long path keeps
    // its file name in view. The note after it is never cut.
    void SetText(const QString& text, const QString& note = QString());
    void ShowText();

    QLabel* label_;
    QProgressBar* bar_;
    QString text_;
    QString note_;
};

} // namespace ornavex
