#pragma once

#include <QTreeView>
#include <filesystem>
#include <vector>

namespace ornavex {

// The report-style list of the main window. It reports the user's removal
// gestures and dropped files to the window, which owns the model.
class FileListView : public QTreeView {
    Q_OBJECT
public:
    explicit FileListView(QWidget* parent = nullptr);

    // Rows the user has selected, in any order.
    QList<int> SelectedRows() const;

signals:
    // Delete (with any modifier) or a double-click anywhere in the list.
    void removeCurrentRequested();
    // Paths dropped from a file manager, in the order of the drop.
    void pathsDropped(const std::vector<std::filesystem::path>& paths);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace ornavex
