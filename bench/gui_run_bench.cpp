// Times a run started from the desktop program: from Start until the results
// window shows, and the longest pause of the window's event loop from Start
// until half a second after that (the window repaints and answers input only
// between such pauses).
//   gui_run_bench FILE...     (QT_QPA_PLATFORM=offscreen by default)
#include "results/results_window.h"
#include "shell/main_window.h"
#include "ui/prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <utility>

namespace {

// Answers nothing and shows nothing: a benchmark has no user.
class SilentPrompts : public ornavex::Prompts {
public:
    void ShowMessage(QWidget*, const QString& text, const QString&, Icon) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool AskYesNo(QWidget*, const QString&, const QString&) override { return false; }
    std::optional<QString> AskText(QWidget*, const QString&, const QString&,
                                   const QString&) override {
        return std::nullopt;
    }
    QStringList ChooseFilesToOpen(QWidget*, const QString&, const QString&) override { return {}; }
    QString ChooseFileToSave(QWidget*, const QString&, const QString&) override { return {}; }
    QString ChooseFolder(QWidget*, const QString&) override { return {}; }
};

// Calls onShow the first time the watched window shows.
class ShowWatcher : public QObject {
public:
    explicit ShowWatcher(std::function<void()> onShow) : onShow_(std::move(onShow)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && onShow_) {
            std::exchange(onShow_, nullptr)();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onShow_;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentPrompts prompts;
    ornavex::MainWindow window(prompts);
    window.show();
    QStringList files;
    for (int i = 1; i < argc; ++i)
        files.append(QString::fromLocal8Bit(argv[i]));
    window.files().Append(files);

    QElapsedTimer sinceTick;
    qint64 longestPause = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestPause = std::max(longestPause, sinceTick.restart()); });

    QElapsedTimer run;
    QTimer::singleShot(0, [&] {
        sinceTick.start();
        ticker.start();
        run.start();
        window.Start();
    });
    // The results window shows when the run has ended. The window keeps
    // running a little after that, so the pause of laying out and painting
    // the rows counts too. (No polling: its wake-ups would slow the run.)
    ShowWatcher watcher([&] {
        const double seconds = run.nsecsElapsed() / 1e9;
        QTimer::singleShot(500, [&, seconds] {
            std::printf("seconds: %.3f\nlongest event loop pause ms: %lld\nrows: %d\n", seconds,
                        static_cast<long long>(longestPause), window.results().model().rowCount());
            app.quit();
        });
    });
    window.results().installEventFilter(&watcher);
    return app.exec();
}
