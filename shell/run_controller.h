#pragma once

#include "results/results_model.h"
#include "run/removal_run.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace ornavex {

class Prompts;

// Runs the removal off the window's thread and reports back on it:
// progress a few times a second, every report or notice as a modal message
// that the run waits for, and at the end the whole list in one signal.
class RunController : public QObject {
    Q_OBJECT
public:
    RunController(Prompts& prompts, QWidget* dialogParent, QObject* parent = nullptr);
    ~RunController() override;

    // From Start until finished has been emitted.
    bool running() const { return running_; }
    void Start(std::vector<Input> inputs, RunOptions options = {});
    // Stops the run; it ends with summary.stopped set.
    void Cancel();

signals:
    void progressed(std::uint64_t bytesDone, std::uint64_t totalBytes, const QString& currentFile,
                    std::uint64_t diskBytes, int diskPercent);
    void finished(const ResultsList& result);

private:
    class Sink;
    struct Waiting;

    void Finished();

    Prompts& prompts_;
    QWidget* dialogParent_;
    QFutureWatcher<ResultsList> watcher_;
    std::shared_ptr<Waiting> waiting_;
    bool running_ = false;
};

} // namespace ornavex
