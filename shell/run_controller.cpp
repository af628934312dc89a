#include "shell/run_controller.h"

#include "run/shown_name.h"
#include "shell/error_report.h"
#include "ui/prompts.h"
#include "ui/qt_paths.h"
#include "ui/window_helpers.h"

#include <QMetaObject>
#include <QtConcurrent/QtConcurrentRun>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace ornavex {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kReportInterval = std::chrono::milliseconds(50);

// How much of a file's path, and of the members and reason after it, the
// report shows: the middle of a longer one gives way.
constexpr qsizetype kReportedPathCharacters = 70;
constexpr qsizetype kReportedReasonCharacters = 90;

// The report as it always read, its first line naming the file and the
// member it is about before the reason: "PATH: member: reason", as the
// command line puts it.
QString ErrorReportText(const ErrorReport& report) {
    ErrorReport named = report;
    if (!report.path.empty()) {
        const QString subject =
            ElideMiddle(QString::fromStdString(report.path), kReportedPathCharacters) + ": " +
            ElideMiddle(QString::fromStdString(report.description), kReportedReasonCharacters);
        named.description = subject.toStdString();
    }
    return QString::fromStdString(FormatErrorReport(named));
}

} // namespace

// What the run's thread and the window's share: whether the run was
// cancelled, and whether the message the run waits for has been answered.
struct RunController::Waiting {
    std::mutex mutex;
    std::condition_variable changed;
    bool cancelled = false;
    unsigned answered = 0; // messages answered so far
};

// The run's sink, called on the run's thread. Everything the window shows is
// posted to the window's thread; the posted work never touches the sink,
// which is gone once the run ends.
class RunController::Sink : public RunSink {
public:
    Sink(RunController& controller, std::shared_ptr<Waiting> waiting, std::uint64_t totalBytes)
        : controller_(controller), waiting_(std::move(waiting)), totalBytes_(totalBytes) {}

    // The results stay on the run's thread until it ends: the window shows
    // them all at once, and its thread does no work per address.
    void Address(std::string_view address) override { found_->Append(address); }

    void Error(const ErrorReport& report) override {
        Ask(ErrorReportText(report),
            QString::fromUtf8(kErrorReportTitle.data(), kErrorReportTitle.size()),
            Prompts::Icon::kWarning);
    }

    void Notice(std::string_view text) override {
        Ask(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), kApplicationTitle,
            Prompts::Icon::kNone);
    }

    bool Progress(const RunProgress& progress) override {
        const auto now = Clock::now();
        if (now - lastReport_ >= kReportInterval || progress.partitions > 0) {
            lastReport_ = now;
            const QString current =
                progress.current != nullptr
                    ? QString::fromStdString(ShownName(progress.current->DisplayName()))
                    : QString();
            RunController* controller = &controller_;
            const int diskPercent =
                progress.partitions == 0
                    ? -1
                    : static_cast<int>(100 * progress.partitionsDone / progress.partitions);
            QMetaObject::invokeMethod(controller, [controller, done = progress.bytesDone,
                                                   total = totalBytes_, current,
                                                   disk = progress.diskBytes, diskPercent] {
                emit controller->progressed(done, total, current, disk, diskPercent);
            });
        }
        std::lock_guard lock(waiting_->mutex);
        return !waiting_->cancelled;
    }

    void Details(RunDetails&& details) override {
        details_ = std::make_shared<const RunDetails>(std::move(details));
    }

    std::shared_ptr<const AddressList> TakeAddresses() { return std::move(found_); }
    std::shared_ptr<const RunDetails> TakeDetails() { return std::move(details_); }

private:
    // Shows a modal message on the window's thread and waits until it is
    // answered, or until the run is cancelled (the window may be closing).
    void Ask(const QString& text, const QString& title, Prompts::Icon icon) {
        std::unique_lock lock(waiting_->mutex);
        const unsigned answer = waiting_->answered + 1;
        RunController* controller = &controller_;
        QMetaObject::invokeMethod(controller, [controller, text, title, icon, waiting = waiting_] {
            {
                std::lock_guard held(waiting->mutex);
                if (waiting->cancelled)
                    return;
            }
            controller->prompts_.ShowMessage(controller->dialogParent_, text, title, icon);
            std::lock_guard held(waiting->mutex);
            ++waiting->answered;
            waiting->changed.notify_all();
        });
        waiting_->changed.wait(lock,
                               [&] { return waiting_->cancelled || waiting_->answered >= answer; });
    }

    RunController& controller_;
    std::shared_ptr<Waiting> waiting_;
    std::uint64_t totalBytes_;
    std::shared_ptr<AddressList> found_ = std::make_shared<AddressList>();
    std::shared_ptr<const RunDetails> details_;
    Clock::time_point lastReport_ = Clock::now();
};

RunController::RunController(Prompts& prompts, QWidget* dialogParent, QObject* parent)
    : QObject(parent), prompts_(prompts), dialogParent_(dialogParent) {
    connect(&watcher_, &QFutureWatcher<ResultsList>::finished, this, &RunController::Finished);
}

RunController::~RunController() {
    Cancel();
    if (running_) // a watcher that never had a run would wait forever
        watcher_.waitForFinished();
}

void RunController::Start(std::vector<Input> inputs, RunOptions options) {
    if (running_)
        return;
    running_ = true;
    waiting_ = std::make_shared<Waiting>();
    watcher_.setFuture(QtConcurrent::run(
        [this, inputs = std::move(inputs), options = std::move(options), waiting = waiting_] {
            Sink sink(*this, waiting, TotalSize(inputs));
            ResultsList result;
            result.summary = RunRemoval(inputs, sink, options);
            result.addresses = sink.TakeAddresses();
            result.details = sink.TakeDetails();
            auto names = std::make_shared<std::vector<std::string>>();
            names->reserve(inputs.size());
            for (const Input& input : inputs)
                names->push_back(input.DisplayName());
            result.fileNames = std::move(names);
            return result;
        }));
}

void RunController::Cancel() {
    if (!waiting_)
        return;
    std::lock_guard lock(waiting_->mutex);
    waiting_->cancelled = true;
    waiting_->changed.notify_all();
}

void RunController::Finished() {
    // Taken out of the future, which would otherwise hold the list on.
    const ResultsList result = watcher_.future().takeResult();
    running_ = false;
    emit finished(result);
}

} // namespace ornavex
