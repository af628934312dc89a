#include "filelist/file_list_view.h"

#include "ui/command_bar.h"
#include "ui/qt_paths.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace ornavex {
namespace {

std::vector<std::filesystem::path> LocalPaths(const QMimeData* data) {
    std::vector<std::filesystem::path> paths;
    if (data == nullptr || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths.push_back(PathFromUrl(url));
    return paths;
}

} // namespace

FileListView::FileListView(QWidget* parent) : QTreeView(parent) {
    setObjectName(QStringLiteral("ListView1"));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);        // stays fast with a hundred thousand rows
    setTextElideMode(Qt::ElideMiddle); // a long path keeps its file name in view
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
    setToolTip(QStringLiteral("Drag and drop files here. Double-click item to remove it."));
    setFont(ListFont());
    header()->setStretchLastSection(false);
}

QList<int> FileListView::SelectedRows() const {
    QList<int> rows;
    if (selectionModel() == nullptr)
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    return rows;
}

void FileListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) {
        emit removeCurrentRequested();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        event->ignore(); // the window cancels a run with it
        return;
    }
    QTreeView::keyPressEvent(event);
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    emit removeCurrentRequested();
}

void FileListView::dragEnterEvent(QDragEnterEvent* event) {
    if (LocalPaths(event->mimeData()).empty())
        event->ignore(); // no file list: the no-drop pointer
    else
        event->acceptProposedAction();
}

void FileListView::dragMoveEvent(QDragMoveEvent* event) {
    if (LocalPaths(event->mimeData()).empty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void FileListView::dropEvent(QDropEvent* event) {
    const std::vector<std::filesystem::path> paths = LocalPaths(event->mimeData());
    if (paths.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit pathsDropped(paths);
}

} // namespace ornavex
