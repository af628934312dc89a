#pragma once

#include "output/address_list.h"
#include "run/removal_run.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QWidget;

namespace ornavex {

class Prompts;

// Runs the removal on a worker thread and reports back on the window's
// thread: progress a few times a second, every report or notice as a modal
// message that the run waits for, and at the end all addresses at once.
class RunController : public QObject {
    Q_OBJECT
public:
    RunController(Prompts& prompts, QWidget* dialogParent, QObject* parent = nullptr);
    ~RunController() override;

    bool running() const { return worker_.joinable(); }
    void Start(std::vector<InputSource> inputs);
    // Stops the run; it ends with summary.stopped set.
    void Cancel();

signals:
    void addressesReady(AddressList& addresses);
    void progressed(std::uint64_t bytesDone, std::uint64_t totalBytes, const QString& currentFile);
    void finished(const RunSummary& summary, bool hadFiles);

private:
    class Hooks;
    friend class Hooks;

    void Finish(const RunSummary& summary, bool hadFiles);

    Prompts& prompts_;
    QWidget* dialogParent_;
    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> cancelled_;
};

} // namespace ornavex
