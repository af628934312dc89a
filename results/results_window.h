#pragma once

#include "results/results_model.h"

#include <QWidget>
#include <cstdint>

class QLabel;
class QToolBar;
class QTreeView;

namespace ornavex {

class Prompts;

// The results window: the unique addresses of the last run, a status line
// with the counts, and the toolbar with Back and the exports. It exists for
// the whole program; closing it ends the program.
class ResultsWindow : public QWidget {
    Q_OBJECT
public:
    explicit ResultsWindow(Prompts& prompts, QWidget* parent = nullptr);

    ResultsModel& model() { return model_; }
    QTreeView* list() const { return list_; }
    QToolBar* toolbar() const { return toolbar_; }
    QString statusText() const;

    // Shows the window with the counts of the run that filled the list.
    void ShowResults(std::uint64_t uniqueAddresses, std::uint64_t duplicatesRemoved);

    void CommandBars_Execute(int id);
    void Back();
    void SaveResults();
    void SaveComma();
    void CopyResultsToClipboard();

signals:
    void backRequested();
    void programEndRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateStaticBar();

    Prompts& prompts_;
    ResultsModel model_;
    QToolBar* toolbar_ = nullptr;
    QTreeView* list_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace ornavex
