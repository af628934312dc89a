#include "shell/run_controller.h"

#include "ui/prompts.h"
#include "ui/qt_paths.h"
#include "ui/window_helpers.h"

#include <QMetaObject>
#include <chrono>
#include <future>

namespace ornavex {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kReportInterval = std::chrono::milliseconds(50);

} // namespace

// The run's hooks, called on the worker thread. Everything the window shows
// is posted to the window's thread; the posted work never touches the hooks,
// which are gone once the run ends.
class RunController::Hooks : public RunHooks {
public:
    Hooks(RunController& controller, std::shared_ptr<std::atomic<bool>> cancelled,
          std::uint64_t totalBytes)
        : controller_(controller), cancelled_(std::move(cancelled)), totalBytes_(totalBytes) {}

    // The results stay on the worker until the run ends: the window shows
    // them all at once, and the window's thread does no work per address.
    void AppendAddress(std::string_view address) override { found_.Append(address); }

    void ShowErrorReport(const ErrorReport& report) override {
        Ask(QString::fromStdString(FormatErrorReport(report)),
            QString::fromUtf8(kErrorReportTitle.data(), kErrorReportTitle.size()),
            Prompts::Icon::kWarning);
    }

    void ShowMessage(std::string_view text) override {
        Ask(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), kApplicationTitle,
            Prompts::Icon::kNone);
    }

    bool Yield(const RunProgress& progress) override {
        const auto now = Clock::now();
        if (now - lastReport_ >= kReportInterval) {
            lastReport_ = now;
            const QString current =
                progress.current != nullptr ? ToQString(progress.current->path) : QString();
            const std::uint64_t done = progress.bytesDone;
            const std::uint64_t total = totalBytes_;
            RunController* controller = &controller_;
            QMetaObject::invokeMethod(controller, [controller, done, total, current] {
                emit controller->progressed(done, total, current);
            });
        }
        return !cancelled_->load();
    }

    // Hands every address found to the window's thread.
    void Deliver() {
        auto all = std::make_shared<AddressList>(std::move(found_));
        found_.clear();
        RunController* controller = &controller_;
        QMetaObject::invokeMethod(controller,
                                  [controller, all] { emit controller->addressesReady(*all); });
    }

private:
    // Shows a modal message on the window's thread and waits for OK, unless
    // the run is cancelled meanwhile (the window may be closing).
    void Ask(const QString& text, const QString& title, Prompts::Icon icon) {
        auto answered = std::make_shared<std::promise<void>>();
        std::future<void> done = answered->get_future();
        RunController* controller = &controller_;
        auto cancelled = cancelled_;
        QMetaObject::invokeMethod(controller, [controller, text, title, icon, answered, cancelled] {
            if (!cancelled->load())
                controller->prompts_.ShowMessage(controller->dialogParent_, text, title, icon);
            answered->set_value();
        });
        while (done.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
            if (cancelled_->load())
                return;
    }

    RunController& controller_;
    std::shared_ptr<std::atomic<bool>> cancelled_;
    std::uint64_t totalBytes_;
    AddressList found_;
    Clock::time_point lastReport_ = Clock::now();
};

RunController::RunController(Prompts& prompts, QWidget* dialogParent, QObject* parent)
    : QObject(parent), prompts_(prompts), dialogParent_(dialogParent) {}

RunController::~RunController() {
    Cancel();
    if (worker_.joinable())
        worker_.join();
}

void RunController::Start(std::vector<InputSource> inputs) {
    if (running())
        return;
    cancelled_ = std::make_shared<std::atomic<bool>>(false);
    worker_ = std::thread([this, inputs = std::move(inputs), cancelled = cancelled_] {
        Hooks hooks(*this, cancelled, TotalSize(inputs));
        const RunSummary summary = RunRemoval(inputs, hooks);
        hooks.Deliver();
        const bool hadFiles = !inputs.empty();
        QMetaObject::invokeMethod(this, [this, summary, hadFiles] { Finish(summary, hadFiles); });
    });
}

void RunController::Cancel() {
    if (cancelled_)
        cancelled_->store(true);
}

void RunController::Finish(const RunSummary& summary, bool hadFiles) {
    if (worker_.joinable())
        worker_.join();
    emit finished(summary, hadFiles);
}

} // namespace ornavex
